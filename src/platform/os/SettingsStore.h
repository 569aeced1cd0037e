#pragma once

#include <QHash>
#include <QString>
#include <memory>

class QSettings;

namespace platform {

// The per-user settings: text values addressed by application, section and key, matched
// whatever their case, kept in one INI file that is rewritten atomically. A path that is a
// link is followed to its file. When that file cannot be the settings (a pipe, a device, a
// folder, or larger than any settings file), it is neither read nor written: the run keeps
// its values in memory and ok() is false.
class SettingsStore {
 public:
  explicit SettingsStore(const QString& iniPath);
  ~SettingsStore();

  QString GetSetting(const QString& application, const QString& section, const QString& key,
                     const QString& defaultValue) const;
  void SaveSetting(const QString& application, const QString& section, const QString& key,
                   const QString& value);
  bool ok() const;  // false when the file could not be written
  QString path() const;

  // A settings file larger than this is not one of ours.
  static constexpr qint64 kMaxFileBytes = 1024 * 1024;

 private:
  QString m_path;
  std::unique_ptr<QSettings> m_settings;
  QHash<QString, QString> m_unsaved;  // the values of a run whose file is refused
};

}  // namespace platform
