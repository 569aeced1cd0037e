#include "SkinLoader.h"

#include <QFileInfo>
#include <cstdio>

#include "SkinTable.h"
#include "platform/ui/PictureBox.h"

namespace skin {

SkinLoader::SkinLoader(platform::SettingsStore& settings, const platform::AppPaths& paths,
                       const ui::ControlOrder& controls)
    : m_settings(settings), m_paths(paths), m_controls(controls) {}

ui::Control* SkinLoader::find(const char* name, int index) const {
  for (const ui::NamedControl& c : m_controls)
    if (c.index == index && c.name == QLatin1String(name)) return c.control;
  return nullptr;
}

int SkinLoader::elementCount(const char* name) const {
  int n = 0;
  for (const ui::NamedControl& c : m_controls)
    if (c.name == QLatin1String(name)) n = std::max(n, c.index + 1);
  return n;
}

void SkinLoader::put(ui::Control* control, const QString& file, bool autoSize) {
  auto* picture = dynamic_cast<ui::PictureBox*>(control);
  if (!picture) return;
  const QPixmap pic = m_files.load(file);
  // A missing or broken bitmap leaves the control as it was.
  if (pic.isNull()) return;
  if (autoSize) picture->setAutoSize(true);
  picture->setPicture(pic);
}

void SkinLoader::showSelection(int selected) {
  const int other = 1 - selected;
  put(find("ChkPicPlato", other), QStringLiteral("\\CHKSEL%1.bmp").arg(other), true);
  put(find("ChkPicPlato", selected), QStringLiteral("\\CHKSEL%1UP.bmp").arg(selected), true);
}

void SkinLoader::loadRow(const SkinRow& row, int element) {
  QString file = QString::fromLatin1(row.file);
  if (file.contains(QLatin1String("%1"))) file = file.arg(element);
  ui::Control* target = find(row.target, element);
  put(target, file, row.autoSize);
  // The equaliser's thumbs sit at the left of their tracks whatever their new size.
  if (target && QLatin1String(row.target) == QLatin1String("SLPIC")) target->setLeft(0);
}

void SkinLoader::LoadSkin() {
  const QString app = platform::AppPaths::exeName();
  QString name = m_settings.GetSetting(app, QStringLiteral("Config"), QStringLiteral("SkinName"),
                                       QStringLiteral("Default"));
  if (name.isEmpty()) name = QStringLiteral("Default");
  m_settings.SaveSetting(app, QStringLiteral("Config"), QStringLiteral("SkinName"), name);
  m_skinName = name;
  const QString skinFolder = platform::joinPath(QStringLiteral("Sk"), name);
  const QString folder = m_paths.find(skinFolder);
  m_files.setFolder(folder);
  // The window keeps its plain look without a skin; say where the skin was sought.
  if (!QFileInfo(folder).isDir())
    std::fprintf(stderr, "tornavel: skin \"%s\" not found in %s or %s\n", qPrintable(name),
                 qPrintable(platform::joinPath(m_paths.exeDir, skinFolder)),
                 qPrintable(platform::joinPath(m_paths.dataDir, skinFolder)));

  const std::vector<SkinRow>& rows = skinTable();
  for (std::size_t r = 0; r < rows.size(); ++r) {
    const SkinRow& row = rows[r];
    if (!row.file) {
      showSelection(selectedDeck && selectedDeck() == 1 ? 1 : 0);
    } else if (row.index >= 0) {
      loadRow(row, row.index);
    } else if (elementCount(row.target) == 0) {
      loadRow(row, -1);  // a single control
    } else {
      // A group goes element by element through all its rows.
      std::size_t end = r + 1;
      while (row.group && end < rows.size() && rows[end].group == row.group) ++end;
      for (int e = 0; e < elementCount(row.target); ++e)
        for (std::size_t g = r; g < end; ++g) loadRow(rows[g], e);
      r = end - 1;
    }
  }
}

}  // namespace skin
