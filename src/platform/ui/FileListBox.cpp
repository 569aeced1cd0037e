#include "FileListBox.h"

#include <QHeaderView>

#include "platform/os/NativePath.h"

namespace ui {

namespace {
constexpr int kRowPixels = 18;
}

FileListBox::FileListBox(QWidget* parent, std::span<const char* const> patterns)
    : ListView(parent, kRowPixels, new NameListModel()),
      m_names(static_cast<NameListModel*>(&model())),
      m_patterns(patterns) {
  // The view owns the names from now on.
  m_names->setParent(view());
  AddColumnHeader(QString());
  setHeaderVisible(false);
  view()->horizontalHeader()->setStretchLastSection(true);
}

QString FileListBox::Pattern() const {
  QStringList parts;
  for (const char* p : m_patterns) parts << QString::fromLatin1(p);
  return parts.join(QLatin1Char(';'));
}

void FileListBox::setListing(const QByteArray& folder, const QList<QByteArray>& names) {
  m_path = folder;
  std::vector<NameListModel::Row> rows;
  rows.reserve(std::size_t(names.size()));
  for (const QByteArray& n : names) rows.push_back({n, 0, NameListModel::NoIcon});
  m_names->setRows(std::move(rows));
}

QByteArray FileListBox::filePath(int index) const {
  if (index < 0 || index >= Count()) return {};
  return platform::childPath(m_path, m_names->name(index));
}

}  // namespace ui
