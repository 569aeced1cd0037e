#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <functional>

#include "ForeignEntry.h"
#include "platform/os/AudioFiles.h"

// Playlists of other players: .m3u (8-bit local encoding), .m3u8 (UTF-8) and .pls.
// Paths stay bytes from the list to the caller; only titles are decoded.
namespace playlist {

enum class ForeignFormat { Unknown, M3u, M3u8, Pls };

// The format a playlist file name's extension names, whatever its case.
ForeignFormat foreignFormatOf(const QByteArray& fileName);

// The entries of a playlist's content, in list order. `folder` is the folder the list
// file sits in; relative entries are resolved against it and every path comes out
// cleaned ("." and ".." folded). file:// URLs become local paths; other URLs, comments,
// blank lines and malformed keys are skipped. A UTF-8 byte order mark and CR LF, LF or
// CR line ends are accepted. Whether the files exist is not checked here.
QList<ForeignEntry> parseForeignPlaylist(const QByteArray& content, ForeignFormat format,
                                         const QByteArray& folder);

// Whether `path` names something that can be opened as a file (not a folder).
using FileExists = std::function<bool(const QByteArray& path)>;
bool localFileExists(const QByteArray& path);

// The entries whose file exists, in the same order.
QList<ForeignEntry> keepExisting(const QList<ForeignEntry>& entries,
                                 const FileExists& exists = localFileExists);

// Why a list of `entries` entries gave the playlist nothing, `missing` of them not found:
// "it holds no entries", "3 of its 5 entries were not found", or that none is a file the
// player takes, of `types`.
QString nothingTaken(qsizetype entries, qsizetype missing, platform::FileTypes types);

// Reads the playlist file at `path`, parses it by its extension and keeps the entries
// whose file exists. On failure (unreadable, too large, not a known kind) returns no
// entries and sets `error` to a sentence for the user; `error` is cleared on success.
QList<ForeignEntry> readForeignPlaylist(const QByteArray& path, QString* error,
                                        const FileExists& exists = localFileExists);

}  // namespace playlist
