#pragma once

#include <QString>
#include <memory>
#include <utility>
#include <vector>

class QSettings;

namespace platform {

// The per-user settings: text values addressed by application, section and key, matched
// whatever their case, kept in one INI file that is rewritten atomically.
class SettingsStore {
 public:
  explicit SettingsStore(const QString& iniPath);
  ~SettingsStore();

  QString GetSetting(const QString& application, const QString& section, const QString& key,
                     const QString& defaultValue) const;
  // Whether a value is stored at all (an empty text counts as stored).
  bool contains(const QString& application, const QString& section, const QString& key) const;
  void SaveSetting(const QString& application, const QString& section, const QString& key,
                   const QString& value);
  // Stores several values of one section with a single rewrite of the file.
  void SaveSettings(const QString& application, const QString& section,
                    const std::vector<std::pair<QString, QString>>& keysAndValues);
  bool ok() const;  // false when the file could not be written
  QString path() const;

 private:
  std::unique_ptr<QSettings> m_settings;
};

}  // namespace platform
