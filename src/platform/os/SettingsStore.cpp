#include "SettingsStore.h"

#include <QFile>
#include <QSettings>

#include "NativePath.h"
#include "RegularFile.h"

namespace platform {

namespace {
// One spelling per name whatever the caller's case; the section of the INI file is the
// application and the section joined, since the format has one level of sections.
QString keyOf(const QString& application, const QString& section, const QString& key) {
  return application.toUpper() + QLatin1Char('.') + section.toUpper() + QLatin1Char('/') +
         key.toUpper();
}
}  // namespace

SettingsStore::SettingsStore(const QString& iniPath) : m_path(iniPath) {
  // The settings object is made on the file at the end of any links, so that its own atomic
  // save replaces that file and leaves the links as they are; it is made only once that
  // file is known to be a regular file of settings' size, or not to exist yet.
  QString why;
  const QByteArray target = saveTarget(nativePath(iniPath), why);
  if (!target.isEmpty()) {
    QFile file;
    qint64 size = 0;
    const ReadStatus found = openRegularFile(target, file, size, why);
    if (found == ReadStatus::Missing || (found == ReadStatus::Ok && size <= kMaxFileBytes)) {
      m_settings = std::make_unique<QSettings>(QFile::decodeName(target), QSettings::IniFormat);
      return;
    }
    if (found == ReadStatus::Ok)
      why = QStringLiteral("%1 bytes, more than a settings file holds").arg(size);
  }
  // The reason without the file's name, which the sentence gives once.
  const qsizetype colon = why.lastIndexOf(QStringLiteral(": "));
  if (colon >= 0) why = why.mid(colon + 2);
  m_refusal = QStringLiteral("The settings file %1 is not used (%2): this run starts from the "
                             "default settings and saves none of them.")
                  .arg(iniPath, why);
  reportSkippedFile(m_refusal);
}

SettingsStore::~SettingsStore() = default;

QString SettingsStore::GetSetting(const QString& application, const QString& section,
                                  const QString& key, const QString& defaultValue) const {
  const QString k = keyOf(application, section, key);
  if (!m_settings) return m_unsaved.value(k, defaultValue);
  const QVariant v = m_settings->value(k);
  return v.isValid() ? v.toString() : defaultValue;
}

bool SettingsStore::contains(const QString& application, const QString& section,
                             const QString& key) const {
  const QString k = keyOf(application, section, key);
  return m_settings ? m_settings->contains(k) : m_unsaved.contains(k);
}

void SettingsStore::SaveSetting(const QString& application, const QString& section,
                                const QString& key, const QString& value) {
  if (!m_settings) {
    m_unsaved.insert(keyOf(application, section, key), value);
    return;
  }
  m_settings->setValue(keyOf(application, section, key), value);
  m_settings->sync();  // written through a temporary file and renamed into place
}

void SettingsStore::SaveSettings(const QString& application, const QString& section,
                                 const std::vector<std::pair<QString, QString>>& keysAndValues) {
  if (!m_settings) {
    for (const auto& [key, value] : keysAndValues)
      m_unsaved.insert(keyOf(application, section, key), value);
    return;
  }
  for (const auto& [key, value] : keysAndValues)
    m_settings->setValue(keyOf(application, section, key), value);
  m_settings->sync();
}

bool SettingsStore::ok() const {
  return m_settings && m_settings->status() == QSettings::NoError;
}
QString SettingsStore::path() const {
  return m_path;
}

}  // namespace platform
