#pragma once

#include <QAbstractTableModel>
#include <QStringList>
#include <string_view>

namespace ui {

// The rows behind a list view, read as texts per column; the headings belong to the view's
// columns. Every list shows its texts through data(), which gives at most the first
// kMaxShownChars of each: laying out a line of millions of characters takes the toolkit
// minutes, and no row shows more than a screenful. text() still gives the whole text.
class ListModel : public QAbstractTableModel {
 public:
  using QAbstractTableModel::QAbstractTableModel;

  static constexpr qsizetype kMaxShownChars = 1000;
  // The start of `text` that a row shows.
  static QString shown(const QString& text);
  // The start of a path's bytes, decoded only as far as a row shows it.
  static QString shownPath(std::string_view bytes);

  virtual int count() const = 0;
  virtual QString text(int row, int column) const = 0;

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  // What a row shows: at most kMaxShownChars of text(). A model whose texts can be very
  // long gives their start without making the whole text first.
  virtual QString shownText(int row, int column) const { return shown(text(row, column)); }

  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation o, int role) const override;
  void setHeadings(const QStringList& headings);
  const QStringList& headings() const { return m_headings; }

 private:
  QStringList m_headings;
};

}  // namespace ui
