#include "ForeignPlaylist.h"

#include <sys/stat.h>

#include <QFile>
#include <QFileInfo>
#include <array>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>

#include "PlaylistPaths.h"

namespace playlist {

namespace {

// Far beyond any real playlist; a larger file is refused rather than read into memory.
constexpr qint64 kMaxPlaylistBytes = 64 * 1024 * 1024;
const QByteArray kUtf8Bom("\xEF\xBB\xBF");

// The lines of `content` with CR LF, LF or CR ends, trimmed, blank ones left out.
QList<QByteArray> textLines(const QByteArray& content) {
  QList<QByteArray> lines;
  qsizetype start = 0;
  const qsizetype n = content.size();
  for (qsizetype i = 0; i <= n; ++i) {
    if (i < n && content[i] != '\r' && content[i] != '\n') continue;
    const QByteArray line = content.mid(start, i - start).trimmed();
    if (!line.isEmpty()) lines.append(line);
    if (i + 1 < n && content[i] == '\r' && content[i + 1] == '\n') ++i;
    start = i + 1;
  }
  return lines;
}

// The local file an entry names, or empty for an entry that names none (a URL of
// another scheme or host, a name no file can have).
QByteArray localPath(const QByteArray& entry, const QByteArray& folder) {
  if (entry.contains('\0')) return {};
  QByteArray path = entry;
  const QByteArray scheme = urlScheme(entry);
  if (scheme == "file") {
    path = fileUrlToPath(entry);
    if (path.isEmpty() || path.contains('\0')) return {};
  } else if (!scheme.isEmpty()) {
    return {};
  }
  return resolvePath(folder, path);
}

// Whole seconds from a length field; -1 (unknown) for a negative or unreadable one.
int seconds(const QByteArray& field) {
  bool ok = false;
  const double s = field.trimmed().toDouble(&ok);
  if (!ok || !std::isfinite(s) || s < 0 || s > 1e9) return -1;
  return int(std::lround(s));
}

struct Decoder {
  bool utf8;
  QString operator()(const QByteArray& text) const {
    return utf8 ? QString::fromUtf8(text) : QString::fromLocal8Bit(text);
  }
};

// "#EXTINF:<length>[ attributes],<title>": the title starts after the first comma that
// is not inside a quoted attribute value.
void readExtInf(const QByteArray& line, const Decoder& decode, ForeignEntry& into) {
  const QByteArray body = line.mid(8);
  bool quoted = false;
  qsizetype comma = -1;
  for (qsizetype i = 0; i < body.size() && comma < 0; ++i) {
    if (body[i] == '"') quoted = !quoted;
    if (body[i] == ',' && !quoted) comma = i;
  }
  const QByteArray head = comma < 0 ? body : body.left(comma);
  const qsizetype space = head.indexOf(' ');
  into.lengthSeconds = seconds(space < 0 ? head : head.left(space));
  into.title = comma < 0 ? QString() : decode(body.mid(comma + 1).trimmed());
}

QList<ForeignEntry> parseM3u(const QList<QByteArray>& lines, const QByteArray& folder,
                             const Decoder& decode) {
  QList<ForeignEntry> entries;
  ForeignEntry pending;
  for (const QByteArray& line : lines) {
    if (line.startsWith('#')) {
      if (line.left(8).toUpper() == "#EXTINF:") readExtInf(line, decode, pending);
      continue;
    }
    // The #EXTINF before an entry belongs to that entry alone, kept or skipped.
    pending.path = localPath(line, folder);
    if (!pending.path.isEmpty()) entries.append(pending);
    pending = ForeignEntry();
  }
  return entries;
}

// "FileN=", "TitleN=" and "LengthN=" keys, in any order and case, listed by N.
QList<ForeignEntry> parsePls(const QList<QByteArray>& lines, const QByteArray& folder,
                             const Decoder& decode) {
  enum Field { kFile, kTitle, kLength };
  static constexpr std::array<const char*, 3> kKeys{"file", "title", "length"};
  std::map<long long, std::array<QByteArray, 3>> byNumber;
  for (const QByteArray& line : lines) {
    const qsizetype eq = line.indexOf('=');
    if (eq <= 0 || line.startsWith('[') || line.startsWith(';')) continue;
    const QByteArray key = line.left(eq).trimmed().toLower();
    for (std::size_t k = 0; k < kKeys.size(); ++k) {
      const qsizetype len = qsizetype(std::strlen(kKeys[k]));
      if (!key.startsWith(kKeys[k]) || key.size() == len) continue;
      bool ok = false;
      const long long number = key.mid(len).toLongLong(&ok);
      if (ok && number >= 0) byNumber[number][k] = line.mid(eq + 1).trimmed();
    }
  }
  QList<ForeignEntry> entries;
  for (const auto& [number, f] : byNumber) {
    ForeignEntry e;
    e.path = f[kFile].isEmpty() ? QByteArray() : localPath(f[kFile], folder);
    if (e.path.isEmpty()) continue;
    e.title = decode(f[kTitle]);
    e.lengthSeconds = seconds(f[kLength]);
    entries.append(e);
  }
  return entries;
}

// The whole file, read through the C library so the path's bytes reach the system
// unchanged. Empty with `error` set when it cannot be read or is too large.
QByteArray readFile(const QByteArray& path, QString* error) {
  const QString name = QFile::decodeName(path);
  std::FILE* f = std::fopen(path.constData(), "rb");
  if (!f) {
    *error = QStringLiteral("Cannot open %1: %2").arg(name, qt_error_string(errno));
    return {};
  }
  QByteArray data;
  char buffer[65536];
  size_t got = 0;
  while ((got = std::fread(buffer, 1, sizeof buffer, f)) > 0) {
    if (data.size() + qint64(got) > kMaxPlaylistBytes) {
      *error = QStringLiteral("%1 is too large for a playlist.").arg(name);
      std::fclose(f);
      return {};
    }
    data.append(buffer, qsizetype(got));
  }
  if (std::ferror(f))
    *error = QStringLiteral("Cannot read %1: %2").arg(name, qt_error_string(errno));
  std::fclose(f);
  return error->isEmpty() ? data : QByteArray();
}

}  // namespace

ForeignFormat foreignFormatOf(const QByteArray& fileName) {
  const QByteArray lower = fileName.toLower();
  if (lower.endsWith(".m3u")) return ForeignFormat::M3u;
  if (lower.endsWith(".m3u8")) return ForeignFormat::M3u8;
  if (lower.endsWith(".pls")) return ForeignFormat::Pls;
  return ForeignFormat::Unknown;
}

QList<ForeignEntry> parseForeignPlaylist(const QByteArray& content, ForeignFormat format,
                                         const QByteArray& folder) {
  const bool bom = content.startsWith(kUtf8Bom);
  const QList<QByteArray> lines = textLines(bom ? content.mid(kUtf8Bom.size()) : content);
  // A byte order mark says UTF-8 whatever the extension claims.
  const Decoder decode{bom || format == ForeignFormat::M3u8};
  switch (format) {
    case ForeignFormat::M3u:
    case ForeignFormat::M3u8:
      return parseM3u(lines, folder, decode);
    case ForeignFormat::Pls:
      return parsePls(lines, folder, decode);
    case ForeignFormat::Unknown:
      break;
  }
  return {};
}

QString nothingTaken(qsizetype entries, qsizetype missing, platform::FileTypes types) {
  if (entries == 0) return QStringLiteral("it holds no entries");
  if (missing > 0)
    return QStringLiteral("%1 of its %2 entries were not found").arg(missing).arg(entries);
  return QStringLiteral("none of its %1 entries is an %2 file")
      .arg(entries)
      .arg(QLatin1String(platform::typesNamed(types)));
}

bool localFileExists(const QByteArray& path) {
  if (path.isEmpty() || path.contains('\0')) return false;
#ifdef Q_OS_WIN
  const QFileInfo info(QString::fromLocal8Bit(path));
  return info.exists() && !info.isDir();
#else
  struct stat st {};
  return ::stat(path.constData(), &st) == 0 && !S_ISDIR(st.st_mode);
#endif
}

QList<ForeignEntry> keepExisting(const QList<ForeignEntry>& entries, const FileExists& exists) {
  QList<ForeignEntry> kept;
  for (const ForeignEntry& e : entries)
    if (exists(e.path)) kept.append(e);
  return kept;
}

QList<ForeignEntry> readForeignPlaylist(const QByteArray& path, QString* error,
                                        const FileExists& exists) {
  QString ignored;
  QString& err = error ? *error : ignored;
  err.clear();
  const ForeignFormat format = foreignFormatOf(path);
  if (format == ForeignFormat::Unknown) {
    err = QStringLiteral("%1 is not an M3U, M3U8 or PLS playlist.").arg(QFile::decodeName(path));
    return {};
  }
  const QByteArray content = readFile(path, &err);
  if (!err.isEmpty()) return {};
  return keepExisting(parseForeignPlaylist(content, format, folderOf(path)), exists);
}

}  // namespace playlist
