#pragma once

#include <cstdint>
#include <string>

#include "tracks/TrackRecord.h"

namespace tracks {

// Reads a file's tags with TagLib (ID3v1 and ID3v2, APE, ASF, Vorbis and FLAC comments, MP4)
// and its duration from the stream's headers. `path` is the path's bytes. False when the path
// is not a regular file or TagLib finds no audio stream in it; `tags` and `durationMs` are then
// left empty. Thread-safe: each call opens a file of its own.
//
// The parser runs in the caller's process: a child process per file costs about a millisecond
// to start, more than reading the tags of a whole album. What could hang it is refused: anything
// but a regular file (a FIFO blocks a reader until a writer comes). The file is opened
// read-only, so reading tags never looks like a change to whoever watches the folder.
bool readTags(const std::string& path, Tags& tags, std::int64_t& durationMs);

}  // namespace tracks
