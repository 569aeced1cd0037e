#pragma once

#include <QByteArray>
#include <QList>
#include <span>

#include "ListView.h"
#include "NameListModel.h"

namespace ui {

// The files of one folder that match the list's patterns, by name. The list shows what it
// is given: whoever reads the folder (away from the window thread) hands it the names. The
// patterns must outlive the list (the program's pattern tables do).
class FileListBox : public ListView {
 public:
  explicit FileListBox(QWidget* parent, std::span<const char* const> patterns = {});

  // The folder shown, as the file system names it.
  const QByteArray& Path() const { return m_path; }
  std::span<const char* const> patterns() const { return m_patterns; }
  // Patterns for the next listing; the names shown stay until then.
  void setPatterns(std::span<const char* const> patterns) { m_patterns = patterns; }
  // The patterns as one text, separated by ";".
  QString Pattern() const;
  // Shows `names`, already matched and in order, as the files of `folder`.
  void setListing(const QByteArray& folder, const QList<QByteArray>& names);

  int ListCount() const { return Count(); }
  QString List(int index) const { return m_names->text(index, 0); }
  QByteArray FileName(int index) const { return m_names->name(index); }
  // The selected row (-1 when none); choosing one selects it alone and shows it.
  int ListIndex() const { return SelectedIndex(); }
  void setListIndex(int index) { setSelectedIndex(index); }
  // The full path of a row's file.
  QByteArray filePath(int index) const;

 private:
  NameListModel* m_names;
  std::span<const char* const> m_patterns;
  QByteArray m_path;
};

}  // namespace ui
