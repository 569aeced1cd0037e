#include "LanguageFile.h"

#include "platform/os/NativePath.h"
#include "platform/os/RegularFile.h"
#include "platform/ui/Control.h"
#include "platform/ui/Val.h"

namespace app {

namespace {
// A language file far beyond any real one is not read whole into memory.
constexpr qint64 kMaxFileBytes = 16 * 1024 * 1024;

bool isLineEnd(char c) {
  return c == '\n' || c == '\r';
}
}  // namespace

std::vector<QString> LanguageFile::ReadFields(const QByteArray& content) {
  std::vector<QString> fields;
  const qsizetype n = content.size();
  qsizetype i = 0;
  while (i < n) {
    while (i < n && (content[i] == ' ' || content[i] == '\t')) ++i;
    if (i >= n) break;
    if (isLineEnd(content[i])) {  // an empty line holds no field
      ++i;
      continue;
    }
    QByteArray field;
    if (content[i] == '"') {
      const qsizetype close = content.indexOf('"', i + 1);
      const qsizetype end = close < 0 ? n : close;
      field = content.mid(i + 1, end - i - 1);
      i = close < 0 ? n : close + 1;
      // Whatever follows the closing quote up to the next comma or line end is dropped.
      while (i < n && content[i] != ',' && !isLineEnd(content[i])) ++i;
    } else {
      const qsizetype start = i;
      while (i < n && content[i] != ',' && !isLineEnd(content[i])) ++i;
      field = content.mid(start, i - start);
      while (field.endsWith(' ') || field.endsWith('\t')) field.chop(1);
    }
    if (i < n && content[i] == ',') ++i;
    fields.push_back(QString::fromLocal8Bit(field));
  }
  return fields;
}

std::vector<LanguageRow> LanguageFile::ReadTable(const QByteArray& content) {
  std::vector<LanguageRow> rows;
  for (const QString& field : ReadFields(content)) {
    const QString tag = field.left(4).toUpper();
    const QString value = field.mid(5);
    if (tag == QLatin1String("FORM")) {
      rows.push_back({value, {}, {}, {}});
      continue;
    }
    // Fields before the first window entry belong to no entry and are skipped.
    if (rows.empty()) continue;
    if (tag == QLatin1String("OBJE"))
      rows.back().object = value;
    else if (tag == QLatin1String("CAPT"))
      rows.back().caption = value;
    else if (tag == QLatin1String("IDXX"))
      rows.back().index = value;
  }
  return rows;
}

int LanguageFile::Apply(const std::vector<LanguageRow>& table, const ui::ControlOrder& controls) {
  int changed = 0;
  for (const ui::NamedControl& c : controls) {
    const QString name = c.name.toLower();
    for (const LanguageRow& row : table) {
      if (row.object.toLower() != name) continue;
      // An index names one element of a control array; on a single control it matches
      // nothing, so such an entry is skipped.
      if (!row.index.isEmpty() && (c.index < 0 || ui::Val(row.index) != double(c.index))) continue;
      if (c.control && c.control->setCaptionText(row.caption)) ++changed;
      break;
    }
  }
  return changed;
}

int LanguageFile::Load(const QString& path, const ui::ControlOrder& controls) {
  const platform::ReadResult file =
      platform::readRegularFile(platform::nativePath(path), kMaxFileBytes);
  if (file.status != platform::ReadStatus::Ok) return 0;
  return Apply(ReadTable(file.bytes), controls);
}

}  // namespace app
