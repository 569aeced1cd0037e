#include "PlaylistPaths.h"

#include <QList>

namespace playlist {

namespace {

bool isAsciiLetter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

#ifdef Q_OS_WIN
constexpr char kSeparator = '\\';
bool isSeparator(char c) {
  return c == '/' || c == '\\';
}
bool isDrive(const QByteArray& p) {
  return p.size() >= 2 && isAsciiLetter(p[0]) && p[1] == ':';
}
#else
constexpr char kSeparator = '/';
bool isSeparator(char c) {
  return c == '/';
}
#endif

}  // namespace

bool isAbsolutePath(const QByteArray& path) {
  if (path.isEmpty()) return false;
  if (isSeparator(path[0])) return true;
#ifdef Q_OS_WIN
  return isDrive(path) && path.size() >= 3 && isSeparator(path[2]);
#else
  return false;
#endif
}

QByteArray cleanPath(const QByteArray& path) {
  QByteArray root;
  qsizetype i = 0;
#ifdef Q_OS_WIN
  if (isDrive(path)) {
    root = path.left(2);
    i = 2;
  }
#endif
  const bool absolute = i < path.size() && isSeparator(path[i]);
  if (absolute) root += kSeparator;
  QList<QByteArray> parts;
  while (i < path.size()) {
    while (i < path.size() && isSeparator(path[i])) ++i;
    const qsizetype start = i;
    while (i < path.size() && !isSeparator(path[i])) ++i;
    const QByteArray part = path.mid(start, i - start);
    if (part.isEmpty() || part == ".") continue;
    if (part == "..") {
      if (!parts.isEmpty() && parts.last() != "..")
        parts.removeLast();
      else if (!absolute)
        parts.append(part);  // a relative path may climb above its start
      continue;
    }
    parts.append(part);
  }
  QByteArray out = root + parts.join(kSeparator);
  return out.isEmpty() ? QByteArray(".") : out;
}

QByteArray resolvePath(const QByteArray& folder, const QByteArray& entry) {
  if (isAbsolutePath(entry) || folder.isEmpty()) return cleanPath(entry);
  return cleanPath(folder + kSeparator + entry);
}

QByteArray folderOf(const QByteArray& path) {
  qsizetype slash = path.size() - 1;
  while (slash >= 0 && !isSeparator(path[slash])) --slash;
  if (slash < 0) return QByteArray(".");
#ifdef Q_OS_WIN
  if (slash == 2 && isDrive(path)) return path.left(3);
#endif
  return slash == 0 ? path.left(1) : path.left(slash);
}

QByteArray urlScheme(const QByteArray& text) {
  if (text.isEmpty() || !isAsciiLetter(text[0])) return {};
  qsizetype i = 1;
  while (i < text.size() && (isAsciiLetter(text[i]) || (text[i] >= '0' && text[i] <= '9') ||
                             text[i] == '+' || text[i] == '-' || text[i] == '.'))
    ++i;
  if (i < 2 || i >= text.size() || text[i] != ':') return {};
  return text.left(i).toLower();
}

QByteArray fileUrlToPath(const QByteArray& url) {
  if (urlScheme(url) != "file") return {};
  QByteArray rest = url.mid(5);
  if (rest.startsWith("//")) {
    rest = rest.mid(2);
    const qsizetype slash = rest.indexOf('/');
    if (slash < 0) return {};
    const QByteArray host = rest.left(slash).toLower();
    if (!host.isEmpty() && host != "localhost") return {};
    rest = rest.mid(slash);
  }
  if (!rest.startsWith('/')) return {};
  QByteArray path = QByteArray::fromPercentEncoding(rest);
#ifdef Q_OS_WIN
  if (path.size() >= 3 && isDrive(path.mid(1))) path.remove(0, 1);  // file:///C:/x
  path.replace('/', '\\');
#endif
  return path;
}

QByteArray pathToFileUrl(const QByteArray& path) {
  QByteArray p = path;
#ifdef Q_OS_WIN
  p.replace('\\', '/');
  if (!p.startsWith('/')) p.prepend('/');
#endif
  return "file://" + p.toPercentEncoding("/");
}

}  // namespace playlist
