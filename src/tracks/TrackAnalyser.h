#pragma once

#include <atomic>
#include <string>

#include "tracks/TrackRecord.h"

namespace tracks {

// Decodes the file at `path` once and measures it. False when it cannot be opened or
// decoded, or when `cancel` turns true on the way.
bool analyseTrack(const std::string& path, Analysis& out,
                  const std::atomic<bool>* cancel = nullptr);

}  // namespace tracks
