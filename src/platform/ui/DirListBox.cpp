#include "DirListBox.h"

#include <QHeaderView>

#include "platform/os/NativePath.h"

namespace ui {

namespace {
constexpr int kRowPixels = 18;
}

DirListBox::DirListBox(QWidget* parent)
    : ListView(parent, kRowPixels, new NameListModel()),
      m_names(static_cast<NameListModel*>(&model())) {
  m_names->setParent(view());
  AddColumnHeader(QString());
  setHeaderVisible(false);
  view()->horizontalHeader()->setStretchLastSection(true);
}

void DirListBox::setListing(const QByteArray& folder, const QList<QByteArray>& subfolders) {
  m_path = folder;
  // The way down: every folder that holds the next, from the root.
  std::vector<QByteArray> chain;
  for (QByteArray f = folder; !f.isEmpty();) {
    chain.push_back(f);
    const QByteArray up = platform::parentFolder(f);
    if (up == f) break;
    f = up;
  }
  std::vector<NameListModel::Row> rows;
  m_folders.clear();
  for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
    const int depth = int(it - chain.rbegin());
    QByteArray name = *it;
    if (depth > 0) name = name.mid(platform::parentFolder(name).size());
    while (depth > 0 && !name.isEmpty() && platform::isSeparatorByte(name[0])) name.remove(0, 1);
    rows.push_back({name, depth, NameListModel::OpenFolder});
    m_folders.push_back(*it);
  }
  m_pathRow = int(rows.size()) - 1;
  const int depth = int(rows.size());
  for (const QByteArray& sub : subfolders) {
    rows.push_back({sub, depth, NameListModel::ClosedFolder});
    m_folders.push_back(platform::childPath(folder, sub));
  }
  m_names->setRows(std::move(rows));
  setSelectedIndex(m_pathRow);
}

QByteArray DirListBox::folderAt(int row) const {
  return row >= 0 && row < int(m_folders.size()) ? m_folders[std::size_t(row)] : QByteArray();
}

}  // namespace ui
