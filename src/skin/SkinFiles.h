#pragma once

#include <QHash>
#include <QPixmap>
#include <QString>

namespace skin {

// The bitmaps of one skin folder, found whatever the case of their names on disk. Each
// file is read once per skin load; a missing or unreadable file gives a null picture.
class SkinFiles {
 public:
  void setFolder(const QString& folder);
  const QString& folder() const { return m_folder; }
  // `name` as the program writes it, e.g. "\BTPlay0UP.bmp".
  QPixmap load(const QString& name);

 private:
  QString m_folder;
  QHash<QString, QString> m_onDisk;  // lower-case name -> name on disk
  QHash<QString, QPixmap> m_cache;   // lower-case name -> picture
};

}  // namespace skin
