#pragma once

#include <cstdint>
#include <string>
#include <vector>

extern "C" {
#include <libavutil/channel_layout.h>
}

struct AVFormatContext;
struct AVCodecContext;
struct SwrContext;
struct AVPacket;
struct AVFrame;

namespace sound {

enum class Result;
struct FfmpegCalls;

// Decodes one audio file to interleaved stereo float frames at the file's own sample rate.
// Damaged data is skipped; the decoder never loops without making progress. A file is
// refused when its rate or channel count is beyond what any real recording uses, opening
// gives up after about a second, and every sample handed out is finite and bounded.
class FileDecoder {
 public:
  FileDecoder() = default;
  ~FileDecoder();
  FileDecoder(const FileDecoder&) = delete;
  FileDecoder& operator=(const FileDecoder&) = delete;

  static constexpr int kMaxSampleRate = 384000;
  static constexpr int kMaxChannels = 8;
  // Decoded samples are pinned to +-this (12 dB over full scale): damaged frames have been
  // seen to decode to 1.8e5, and the effect chain and limiter must not start from that.
  static constexpr float kMaxLevel = 4.0f;
  // The longest length a file may claim; beyond that its header is taken to be lying.
  static constexpr std::int64_t kMaxLengthFrames = (std::int64_t(1) << 40) - 1;

  // Opening gives up after `budgetMs` of the clock: a decoder of its own at a low priority
  // may take longer on a busy machine than one a deck waits for.
  Result open(const std::string& path, int budgetMs = 1000);
  int sampleRate() const { return m_sampleRate; }
  std::int64_t lengthFrames() const { return m_lengthFrames; }
  std::int64_t position() const { return m_position; }

  // Reads up to maxFrames stereo frames; fewer only at the end of the file.
  int read(float* out, int maxFrames);
  // Moves to an exact frame: decodes from the nearest earlier seek point and drops the rest.
  void seek(std::int64_t frame);
  bool atEnd() const { return m_eof && m_pendingStart == m_pending.size(); }

 private:
  bool decodeMore();
  void learnOrigin(const AVFrame* frame);
  void receiveFrames();
  void appendConverted(AVFrame* frame);
  void close();
  static int interrupted(void* self);

  const FfmpegCalls* m_av = nullptr;  // FFmpeg's calls, from the first open on
  AVFormatContext* m_format = nullptr;
  AVCodecContext* m_codec = nullptr;
  SwrContext* m_swr = nullptr;
  AVChannelLayout m_swrLayout{};
  int m_swrRate = 0;
  int m_swrFormat = -1;
  AVPacket* m_packet = nullptr;
  AVFrame* m_frame = nullptr;
  int m_stream = -1;
  int m_sampleRate = 0;
  std::int64_t m_lengthFrames = 0;
  std::int64_t m_position = 0;  // frame index of the next frame read() returns
  std::int64_t m_skipTo = -1;   // after a seek: drop decoded frames before this one
  // Where frame 0 (the first sample decoded from the start) sits on the stream's own
  // timestamps, in frames. A WMA decoder swallows its first packets, so its first sample
  // is stamped about 90 ms in; seeks go by timestamps and must land on the same timeline.
  std::int64_t m_originFrames = 0;
  std::int64_t m_framesBefore = 0;  // frames decoded from the start before the current one
  int m_framesSeen = 0;
  bool m_eof = false;
  bool m_flushed = false;
  // Blocking FFmpeg calls give up once the clock passes this (steady clock, ns); 0 = never.
  std::int64_t m_deadlineNs = 0;
  std::vector<float> m_pending;    // converted frames not yet read
  std::size_t m_pendingStart = 0;  // in floats
};

}  // namespace sound
