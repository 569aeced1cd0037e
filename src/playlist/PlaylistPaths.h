#pragma once

#include <QByteArray>

// Paths as bytes in the platform's native 8-bit form: playlists name files whose names
// need not be valid text, so nothing here decodes them.
namespace playlist {

bool isAbsolutePath(const QByteArray& path);

// `path` with "." parts, doubled separators and "name/.." pairs folded away, the way
// the user expects to see it; ".." above the root stays at the root.
QByteArray cleanPath(const QByteArray& path);

// `entry` resolved against `folder` when relative, then cleaned.
QByteArray resolvePath(const QByteArray& folder, const QByteArray& entry);

// The folder a file path sits in: "." for a bare name, the root for a file at the root.
QByteArray folderOf(const QByteArray& path);

// The local path a file URL names (file:///p, file://localhost/p, file:/p), percent
// escapes decoded to raw bytes; empty for a URL on another host.
QByteArray fileUrlToPath(const QByteArray& url);

// A file:/// URL for an absolute path, every byte but unreserved ASCII and "/" escaped.
QByteArray pathToFileUrl(const QByteArray& path);

// The scheme of a URL ("http", "file"), lower case, or empty when `text` is no URL.
// One-letter schemes are taken for drive letters, not URLs.
QByteArray urlScheme(const QByteArray& text);

}  // namespace playlist
