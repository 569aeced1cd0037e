// Fuzz target: the settings file. The input is written as the INI file; the store reads
// every value the program reads, the numbers among them by their leading number (as the
// equaliser reads its positions), then saves a value: it must come back from the file.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cmath>
#include <cstdint>

#include "platform/os/SettingsStore.h"
#include "platform/ui/Val.h"

namespace {

QString settingsFile() {
  // Memory-backed where there is such a folder: every input is written and saved.
  static QTemporaryDir dir(QDir(QStringLiteral("/dev/shm")).exists()
                               ? QStringLiteral("/dev/shm/tv-fuzz-XXXXXX")
                               : QDir::tempPath() + QStringLiteral("/tv-fuzz-XXXXXX"));
  return dir.filePath(QStringLiteral("tornavel.ini"));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const QString path = settingsFile();
  {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) __builtin_trap();
    f.write(reinterpret_cast<const char*>(data), qint64(size));
  }
  platform::SettingsStore store(path);
  for (int i = 0; i < 15; ++i) {
    const QString v = store.GetSetting(QStringLiteral("TORNAVEL"), QStringLiteral("CONFIGEQ"),
                                       QString::number(i), QStringLiteral("48"));
    if (!std::isfinite(ui::Val(v))) __builtin_trap();
  }
  store.GetSetting(QStringLiteral("TORNA VEL"), QStringLiteral("CONFIG"), QStringLiteral("DBADIR"),
                   {});
  store.GetSetting(QStringLiteral("TORNA VEL"), QStringLiteral("CONFIG"), QStringLiteral("LSTDIR"),
                   {});
  store.GetSetting(QStringLiteral("tornavel"), QStringLiteral("Config"), QStringLiteral("SkinName"),
                   QStringLiteral("Default"));
  store.SaveSetting(QStringLiteral("tornavel"), QStringLiteral("Config"),
                    QStringLiteral("SkinName"), QStringLiteral("Fuzz, \"skin\" = [1]"));
  if (store.ok()) {
    const platform::SettingsStore again(path);
    if (again.GetSetting(QStringLiteral("TORNAVEL"), QStringLiteral("CONFIG"),
                         QStringLiteral("SKINNAME"), {}) != QStringLiteral("Fuzz, \"skin\" = [1]"))
      __builtin_trap();
  }
  return 0;
}
