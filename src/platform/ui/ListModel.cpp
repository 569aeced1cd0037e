#include "ListModel.h"

#include "platform/os/NativePath.h"

namespace ui {

int ListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : count();
}
int ListModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : int(m_headings.size());
}

QVariant ListModel::data(const QModelIndex& index, int role) const {
  if (role != Qt::DisplayRole || !index.isValid()) return {};
  return shownText(index.row(), index.column());
}

QString ListModel::shown(const QString& text) {
  if (text.size() <= kMaxShownChars) return text;
  // A character outside the first plane is not cut in half.
  return text.left(text[kMaxShownChars - 1].isHighSurrogate() ? kMaxShownChars - 1
                                                              : kMaxShownChars);
}

QString ListModel::shownPath(std::string_view bytes) {
  // However the bytes decode, this many give more characters than a row shows, and a
  // sequence cut at the end falls beyond what is shown.
  constexpr std::size_t kBytes = 4 * kMaxShownChars;
  return shown(platform::displayPath(bytes.substr(0, kBytes)));
}

QVariant ListModel::headerData(int section, Qt::Orientation o, int role) const {
  if (o != Qt::Horizontal || role != Qt::DisplayRole || section >= m_headings.size()) return {};
  return m_headings[section];
}

void ListModel::setHeadings(const QStringList& headings) {
  beginResetModel();
  m_headings = headings;
  endResetModel();
}

}  // namespace ui
