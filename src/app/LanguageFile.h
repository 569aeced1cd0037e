#pragma once

#include <QByteArray>
#include <QString>
#include <vector>

#include "platform/ui/NamedControl.h"

namespace app {

// One entry of the language file: window, control name, caption and array index.
struct LanguageRow {
  QString form, object, caption, index;
};

// The language file: comma-separated fields, each a four-letter tag, one ignored
// character and a value. Entries start at a "FORM" field and name a control ("OBJE"),
// its new caption ("CAPT") and, for a control array, the element ("IDXX").
class LanguageFile {
 public:
  static std::vector<QString> ReadFields(const QByteArray& content);
  static std::vector<LanguageRow> ReadTable(const QByteArray& content);
  // Gives each control the caption of the first row that names it; returns how many
  // controls changed.
  static int Apply(const std::vector<LanguageRow>& table, const ui::ControlOrder& controls);
  // Reads and applies a file; a missing or unreadable file changes nothing.
  static int Load(const QString& path, const ui::ControlOrder& controls);
};

}  // namespace app
