#pragma once

#include <QByteArray>
#include <QList>
#include <vector>

#include "ListView.h"
#include "NameListModel.h"

namespace ui {

// A folder and the way to it: the folders from the root down to it, open and indented, then
// its subfolders. The list shows what it is given: whoever reads the folder (away from the
// window thread) hands it the subfolders.
class DirListBox : public ListView {
 public:
  explicit DirListBox(QWidget* parent);

  // The folder shown, as the file system names it.
  const QByteArray& Path() const { return m_path; }
  // Shows `folder` with `subfolders` (already in order) under it; its own row is selected.
  void setListing(const QByteArray& folder, const QList<QByteArray>& subfolders);
  // The folder a row names: one on the way to Path(), Path() itself, or a subfolder.
  QByteArray folderAt(int row) const;
  int ListCount() const { return Count(); }
  QString List(int row) const { return m_names->text(row, 0).trimmed(); }
  // The row of Path() itself.
  int pathRow() const { return m_pathRow; }

 private:
  NameListModel* m_names;
  QByteArray m_path;
  std::vector<QByteArray> m_folders;  // the full path of every row
  int m_pathRow = -1;
};

}  // namespace ui
