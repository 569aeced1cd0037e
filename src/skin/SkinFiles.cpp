#include "SkinFiles.h"

#include <QDir>
#include <QImageReader>

namespace skin {

void SkinFiles::setFolder(const QString& folder) {
  m_folder = folder;
  m_onDisk.clear();
  m_cache.clear();
  const QDir dir(folder);
  for (const QString& entry : dir.entryList(QDir::Files | QDir::Readable))
    m_onDisk.insert(entry.toLower(), entry);
}

QPixmap SkinFiles::load(const QString& name) {
  QString key = name;
  while (key.startsWith(QLatin1Char('\\')) || key.startsWith(QLatin1Char('/'))) key.remove(0, 1);
  key = key.toLower();
  if (auto it = m_cache.constFind(key); it != m_cache.constEnd()) return *it;
  QPixmap pic;
  if (auto it = m_onDisk.constFind(key); it != m_onDisk.constEnd()) {
    QImageReader reader(QDir(m_folder).filePath(*it));
    reader.setDecideFormatFromContent(true);
    const QImage img = reader.read();
    if (!img.isNull()) pic = QPixmap::fromImage(img);
  }
  m_cache.insert(key, pic);
  return pic;
}

}  // namespace skin
