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
  QString error;
  const QByteArray target = saveTarget(nativePath(iniPath), error);
  if (target.isEmpty()) {
    reportSkippedFile(error);
    return;
  }
  const ReadStatus found = readRegularFile(target, kMaxFileBytes).status;
  if (found == ReadStatus::Ok || found == ReadStatus::Missing)
    m_settings = std::make_unique<QSettings>(QFile::decodeName(target), QSettings::IniFormat);
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
  return m_settings->contains(keyOf(application, section, key));
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
