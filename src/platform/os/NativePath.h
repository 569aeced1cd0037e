#pragma once

#include <QByteArray>
#include <QString>
#include <string_view>

// File paths travel as the platform's own bytes, from the directory listing to the decoder,
// so a name that is not valid in the local encoding still opens. They are decoded only to be
// shown.
namespace platform {

// The separator the platform joins paths with.
#ifdef _WIN32
inline constexpr char kSeparator = '\\';
#else
inline constexpr char kSeparator = '/';
#endif

// True for the platform's path separators (on Windows both "\" and "/").
inline bool isSeparatorByte(char c) {
#ifdef _WIN32
  return c == '\\' || c == '/';
#else
  return c == '/';
#endif
}

inline std::string_view bytesOf(const QByteArray& b) {
  return std::string_view(b.constData(), std::size_t(b.size()));
}

// A path as the user reads it (names that do not decode show replacement characters).
inline QString displayPath(std::string_view bytes) {
  return QString::fromLocal8Bit(bytes.data(), qsizetype(bytes.size()));
}
inline QString displayPath(const QByteArray& bytes) {
  return QString::fromLocal8Bit(bytes);
}
// A path the user typed or a dialog returned, in the platform's bytes.
QByteArray nativePath(const QString& path);

// True when `path` names a regular file (following links); never for a name with a NUL.
bool isRegularFile(const QByteArray& path);

// The folder that holds a path: the bytes before its last separator; the root itself for a
// file directly in it ("/x.mp3" gives "/"), empty when there is no separator.
QByteArray parentFolder(const QByteArray& path);
// `folder` and `name` joined by one separator.
QByteArray childPath(const QByteArray& folder, const QByteArray& name);

// True for a root of the platform ("/", or a drive's root such as "C:\\").
bool isRootFolder(const QByteArray& folder);
// The folder the program runs in, and the user's home folder.
QByteArray currentFolder();
QByteArray homeFolder();
// A folder the user typed, as the file system names it: "~" is the home folder, a relative
// path starts at the current folder, "." and ".." steps are taken and repeated or trailing
// separators dropped (a root keeps its own). Nothing typed gives nothing.
QByteArray absoluteFolder(const QByteArray& typed);

}  // namespace platform
