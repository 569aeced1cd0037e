#pragma once

#include <QByteArray>
#include <QComboBox>
#include <QList>
#include <functional>

#include "Control.h"

namespace ui {

// The platform's roots and mounted volumes, one to choose. The list is read again each time
// it opens, so a volume mounted meanwhile is there.
class DriveListBox : public Control {
 public:
  struct Volume {
    QByteArray root;  // as the file system names it
    QString label;    // as the list shows it
  };

  explicit DriveListBox(QWidget* parent);

  // Where the drives come from: the platform's own list, unless replaced (tests).
  std::function<QList<Volume>()> source;
  // The user chose a drive (or code set ListIndex).
  std::function<void()> onChange;

  // Reads the drives again; the chosen one stays chosen while it is there.
  void Refresh();
  int ListCount() const { return int(m_drives.size()); }
  QString List(int index) const;
  int ListIndex() const { return m_box->currentIndex(); }
  // Chooses a drive and raises Change, as a choice of the user's does.
  void setListIndex(int index);
  // The root of the chosen drive (empty when none).
  QByteArray Drive() const;
  // Shows the drive that holds `path` as the chosen one, without raising Change.
  void showDriveOf(const QByteArray& path);
  QComboBox* box() const { return m_box; }

  // The platform's roots and mounted volumes (QStorageInfo), the root of all first.
  static QList<Volume> mountedVolumes();

 private:
  QComboBox* m_box;
  QList<Volume> m_drives;
};

}  // namespace ui
