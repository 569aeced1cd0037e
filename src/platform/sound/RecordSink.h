#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "SoundTypes.h"

namespace sound {

// A recording's file, written by the recorder's thread alone. Frames are interleaved
// stereo floats. After flush() the file as it stands decodes up to the frames given so far
// (less what an encoder still holds, under a tenth of a second); after a failed call the
// file keeps what reached it, and error() says why. finish() completes the file.
class RecordSink {
 public:
  virtual ~RecordSink() = default;
  virtual bool write(const float* frames, std::size_t count) = 0;
  virtual bool flush() = 0;
  virtual bool finish() = 0;
  // Frames handed over and accepted so far.
  std::uint64_t frames() const { return m_frames; }
  const std::string& error() const { return m_error; }

 protected:
  std::uint64_t m_frames = 0;
  std::string m_error;
};

// Creates `path` (replacing a file there) for `format` at `rate`; nullptr and `error` set when
// the file cannot be made.
std::unique_ptr<RecordSink> openRecordSink(const std::string& path, RecordFormat format, int rate,
                                           std::string& error);

}  // namespace sound
