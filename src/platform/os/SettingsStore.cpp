#include "SettingsStore.h"

#include <QSettings>

namespace platform {

namespace {
// One spelling per name whatever the caller's case; the section of the INI file is the
// application and the section joined, since the format has one level of sections.
QString keyOf(const QString& application, const QString& section, const QString& key) {
  return application.toUpper() + QLatin1Char('.') + section.toUpper() + QLatin1Char('/') +
         key.toUpper();
}
}  // namespace

SettingsStore::SettingsStore(const QString& iniPath)
    : m_settings(std::make_unique<QSettings>(iniPath, QSettings::IniFormat)) {}

SettingsStore::~SettingsStore() = default;

QString SettingsStore::GetSetting(const QString& application, const QString& section,
                                  const QString& key, const QString& defaultValue) const {
  const QVariant v = m_settings->value(keyOf(application, section, key));
  return v.isValid() ? v.toString() : defaultValue;
}

bool SettingsStore::contains(const QString& application, const QString& section,
                             const QString& key) const {
  return m_settings->contains(keyOf(application, section, key));
}

void SettingsStore::SaveSetting(const QString& application, const QString& section,
                                const QString& key, const QString& value) {
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
  return m_settings->status() == QSettings::NoError;
}
QString SettingsStore::path() const {
  return m_settings->fileName();
}

}  // namespace platform
