#include "PlaylistText.h"

namespace playlist::PlaylistText {

namespace {
constexpr char kHeader[] = "[X -LIST]";

// Calls `line` with each line of `text`. CR LF is seen as a line and an empty one, which
// no caller tells apart from a single line end.
template <typename F>
void forEachLine(const QByteArray& text, F&& line) {
  const char* data = text.constData();
  const qsizetype n = text.size();
  qsizetype start = 0;
  for (qsizetype i = 0; i <= n; ++i) {
    if (i == n || data[i] == '\n' || data[i] == '\r') {
      if (i > start || i < n) line(QByteArray::fromRawData(data + start, i - start));
      start = i + 1;
    }
  }
}
}  // namespace

QList<QByteArray> read(const QByteArray& text) {
  QList<QByteArray> paths;
  forEachLine(text, [&](const QByteArray& line) {
    if (line.startsWith("FIL")) paths.push_back(QByteArray(line.constData() + 3, line.size() - 3));
  });
  return paths;
}

QByteArray write(const QList<QByteArray>& paths) {
  qsizetype size = qsizetype(sizeof kHeader) + 1;
  for (const QByteArray& p : paths) size += p.size() + 5;
  QByteArray out;
  out.reserve(size);
  out += kHeader;
  out += "\r\n";
  // A name with a line break would come back as two lines (and a NUL as no file): such an
  // entry is not written.
  for (const QByteArray& p : paths)
    if (!p.contains('\n') && !p.contains('\r') && !p.contains('\0')) out += "FIL" + p + "\r\n";
  return out;
}

bool holdsMoreThanAHeader(const QByteArray& text) {
  bool more = false;
  forEachLine(text, [&](const QByteArray& line) {
    const QByteArray t = line.trimmed();
    if (!t.isEmpty() && t != kHeader) more = true;
  });
  return more;
}

}  // namespace playlist::PlaylistText
