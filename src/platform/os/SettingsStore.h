#pragma once

#include <QHash>
#include <QString>
#include <memory>
#include <utility>
#include <vector>

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
  // Whether a value is stored at all (an empty text counts as stored).
  bool contains(const QString& application, const QString& section, const QString& key) const;
  void SaveSetting(const QString& application, const QString& section, const QString& key,
                   const QString& value);
  // Stores several values of one section with a single rewrite of the file.
  void SaveSettings(const QString& application, const QString& section,
                    const std::vector<std::pair<QString, QString>>& keysAndValues);
  bool ok() const;  // false when the file could not be written
  QString path() const;
  // Why the file is not used, as a sentence that names it; empty when it is.
  const QString& refusal() const { return m_refusal; }

  // A settings file larger than this is not one of ours.
  static constexpr qint64 kMaxFileBytes = 1024 * 1024;

 private:
  QString m_path;
  std::unique_ptr<QSettings> m_settings;
  QHash<QString, QString> m_unsaved;  // the values of a run whose file is refused
  QString m_refusal;
};

}  // namespace platform
