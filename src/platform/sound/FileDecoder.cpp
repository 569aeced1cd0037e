#include "FileDecoder.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <limits>
#include <system_error>

#include "FrameMath.h"
#include "SoundTypes.h"

#include "Ffmpeg.h"

extern "C" {
#include <libavutil/opt.h>
}

namespace sound {

namespace {
// Decoding restarts this far before a seek target: MP3 frames lean on the bytes of the
// frames before them, and a demuxer may land a little late.
constexpr double kSeekPrerollSeconds = 0.5;
// A file whose packets all fail gives up after this many in a row instead of spinning.
constexpr int kMaxBadPackets = 2000;
// Opening (probing the format and its streams) gives up after this long, and a seek after
// the second figure: only a hostile file takes that long, and the UI thread waits for both.
constexpr std::int64_t kSeekBudgetNs = 2'000'000'000;
// Probing reads at most this much of a file; with the stream count limited, no header can
// make FFmpeg buffer more than a few megabytes while it looks.
constexpr const char* kProbeBytes = "1048576";
constexpr const char* kAnalyzeMicroseconds = "3000000";
constexpr const char* kMaxStreams = "16";
// Containers the player opens. Everything else FFmpeg knows (images, video, playlists,
// network protocols) stays out: less to go wrong with a file that only looks like audio.
constexpr const char* kFormats = "mp3,asf,wav,w64,flac,ogg,aiff,aac,mov,matroska";

std::int64_t nowNs() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

// Damaged frames may hold NaN, infinities or absurd levels; they are silenced or pinned here,
// on the decoding side, so nothing after the decoder has to wonder.
void sanitise(float* samples, std::size_t count) {
  constexpr float kMax = FileDecoder::kMaxLevel;
  for (std::size_t i = 0; i < count; ++i) {
    const float v = samples[i];
    // No branches, so the loop vectorises: NaN and infinities fail the first test.
    samples[i] =
        std::fabs(v) <= std::numeric_limits<float>::max() ? std::clamp(v, -kMax, kMax) : 0.0f;
  }
}

bool plausible(int rate, int channels) {
  return rate > 0 && rate <= FileDecoder::kMaxSampleRate && channels > 0 &&
         channels <= FileDecoder::kMaxChannels;
}

// Frames in `duration` ticks of `base`, 0 when unknown, kMaxLengthFrames at most.
std::int64_t framesIn(std::int64_t duration, AVRational base, int rate) {
  if (duration <= 0 || base.num <= 0 || base.den <= 0) return 0;
  const std::int64_t frames = ffmpegCalls()->av_rescale_q(duration, base, AVRational{1, rate});
  // av_rescale_q answers INT64_MIN when the result does not fit: the header is lying.
  if (frames < 0 || frames > FileDecoder::kMaxLengthFrames) return FileDecoder::kMaxLengthFrames;
  return frames;
}
}  // namespace

int FileDecoder::interrupted(void* self) {
  const auto* d = static_cast<const FileDecoder*>(self);
  return d->m_deadlineNs != 0 && nowNs() > d->m_deadlineNs;
}

FileDecoder::~FileDecoder() {
  close();
}

void FileDecoder::close() {
  if (m_av) {  // nothing of FFmpeg's was made before its calls were there
    if (m_frame) m_av->av_frame_free(&m_frame);
    if (m_packet) m_av->av_packet_free(&m_packet);
    if (m_swr) m_av->swr_free(&m_swr);
    m_av->av_channel_layout_uninit(&m_swrLayout);
  }
  m_swrRate = 0;
  m_swrFormat = -1;
  if (m_codec) m_av->avcodec_free_context(&m_codec);
  if (m_format) m_av->avformat_close_input(&m_format);
  m_stream = -1;
  m_deadlineNs = 0;
  m_originFrames = m_framesBefore = 0;
  m_framesSeen = 0;
  m_sampleRate = 0;
  m_lengthFrames = 0;
  m_pending.clear();
  m_pendingStart = 0;
}

Result FileDecoder::open(const std::string& path, int budgetMs) {
  close();
  // The system would open the name only up to a NUL: another file than the one named.
  if (path.find('\0') != std::string::npos) return Result::FileNotFound;
  std::error_code ec;
  const auto status = std::filesystem::status(path, ec);
  if (ec || !std::filesystem::exists(status)) return Result::FileNotFound;
  if (!std::filesystem::is_regular_file(status)) return Result::FormatError;
  m_av = ffmpegCalls();
  if (!m_av) return Result::FormatError;  // no decoder on this machine

  m_format = m_av->avformat_alloc_context();
  if (!m_format) return Result::FormatError;
  m_format->interrupt_callback = AVIOInterruptCB{&FileDecoder::interrupted, this};
  m_deadlineNs = nowNs() + std::int64_t(budgetMs) * 1000000;
  AVDictionary* options = nullptr;
  m_av->av_dict_set(&options, "probesize", kProbeBytes, 0);
  m_av->av_dict_set(&options, "formatprobesize", kProbeBytes, 0);
  m_av->av_dict_set(&options, "analyzeduration", kAnalyzeMicroseconds, 0);
  m_av->av_dict_set(&options, "max_streams", kMaxStreams, 0);
  m_av->av_dict_set(&options, "format_whitelist", kFormats, 0);
  // On failure avformat_open_input frees the context and clears the pointer.
  const int opened = m_av->avformat_open_input(&m_format, path.c_str(), nullptr, &options);
  m_av->av_dict_free(&options);
  if (opened < 0) {
    m_deadlineNs = 0;
    return Result::FormatError;
  }
  const AVCodec* codec = nullptr;
  if (m_av->avformat_find_stream_info(m_format, nullptr) < 0 ||
      (m_stream = m_av->av_find_best_stream(m_format, AVMEDIA_TYPE_AUDIO, -1, -1, &codec, 0)) < 0 ||
      !codec) {
    close();
    return Result::FormatError;
  }
  AVStream* st = m_format->streams[m_stream];
  // A header may claim 2^31-1 Hz or 255 channels: the buffers sized from it would be
  // absurd, and no real recording has them.
  if (!plausible(st->codecpar->sample_rate, st->codecpar->ch_layout.nb_channels)) {
    close();
    return Result::FormatError;
  }
  m_codec = m_av->avcodec_alloc_context3(codec);
  if (!m_codec || m_av->avcodec_parameters_to_context(m_codec, st->codecpar) < 0 ||
      m_av->avcodec_open2(m_codec, codec, nullptr) < 0 ||
      !plausible(m_codec->sample_rate, m_codec->ch_layout.nb_channels)) {
    close();
    return Result::FormatError;
  }
  m_sampleRate = m_codec->sample_rate;
  m_packet = m_av->av_packet_alloc();
  m_frame = m_av->av_frame_alloc();
  if (!m_packet || !m_frame) {
    close();
    return Result::FormatError;
  }

  if (st->duration != AV_NOPTS_VALUE && st->duration > 0) {
    // The duration of an MP3 counts the encoder's leading delay, which the decoder drops
    // (it shows as the stream's start time); the length is what is heard.
    std::int64_t duration = st->duration;
    if (st->start_time != AV_NOPTS_VALUE && st->start_time > 0 && st->start_time < duration)
      duration -= st->start_time;
    m_lengthFrames = framesIn(duration, st->time_base, m_sampleRate);
  } else if (m_format->duration != AV_NOPTS_VALUE && m_format->duration > 0) {
    m_lengthFrames = framesIn(m_format->duration, AVRational{1, AV_TIME_BASE}, m_sampleRate);
  }
  m_position = 0;
  m_skipTo = -1;
  m_eof = m_flushed = false;
  // Decode the first two frames now (they wait in m_pending), so the timeline is known
  // before any seek. Still under the open deadline.
  m_deadlineNs = nowNs() + std::int64_t(budgetMs) * 1000000;
  while (m_framesSeen < 2 && decodeMore()) {
  }
  m_deadlineNs = 0;
  return Result::Ok;
}

bool FileDecoder::decodeMore() {
  if (m_flushed) {
    m_eof = true;
    return false;
  }
  for (int bad = 0; bad < kMaxBadPackets;) {
    const std::size_t before = m_pending.size();
    if (m_av->av_read_frame(m_format, m_packet) < 0) {
      m_av->avcodec_send_packet(m_codec, nullptr);
      receiveFrames();
      m_flushed = true;
      return true;
    }
    if (m_packet->stream_index == m_stream) {
      if (m_av->avcodec_send_packet(m_codec, m_packet) < 0) ++bad;
      m_av->av_packet_unref(m_packet);
      receiveFrames();
      if (m_pending.size() > before) return true;
    } else {
      m_av->av_packet_unref(m_packet);
    }
  }
  m_flushed = m_eof = true;
  return false;
}

void FileDecoder::receiveFrames() {
  while (m_av->avcodec_receive_frame(m_codec, m_frame) == 0) {
    appendConverted(m_frame);
    m_av->av_frame_unref(m_frame);
  }
}

// The first frame's stamp cannot be trusted (an MP3 decoder drops its encoder delay from it
// without restamping it), so the second frame's is used: its stamp less the frames before it.
void FileDecoder::learnOrigin(const AVFrame* frame) {
  if (m_framesSeen++ != 1 || m_skipTo >= 0) return;
  const std::int64_t pts = frame->best_effort_timestamp;
  if (pts == AV_NOPTS_VALUE) return;
  const AVStream* st = m_format->streams[m_stream];
  const std::int64_t origin = st->start_time != AV_NOPTS_VALUE ? st->start_time : 0;
  const std::int64_t at =
      m_av->av_rescale_q(saturatingSub(pts, origin), st->time_base, AVRational{1, m_sampleRate});
  const std::int64_t offset = saturatingSub(at, m_framesBefore);
  // More than a second either way is a damaged stamp, not a decoder's delay.
  if (offset >= -m_sampleRate && offset <= m_sampleRate) m_originFrames = offset;
}

void FileDecoder::appendConverted(AVFrame* frame) {
  if (frame->nb_samples <= 0) return;
  learnOrigin(frame);
  // A frame may claim a format of its own midway; one no real file has is dropped.
  if (!plausible(frame->sample_rate > 0 ? frame->sample_rate : m_sampleRate,
                 frame->ch_layout.nb_channels))
    return;
  // The converter follows the frame's own layout, so a stream that changes its format
  // midway still comes out as stereo at the file's rate.
  AVChannelLayout inLayout;
  if (frame->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC)
    m_av->av_channel_layout_default(&inLayout, frame->ch_layout.nb_channels);
  else if (m_av->av_channel_layout_copy(&inLayout, &frame->ch_layout) < 0)
    return;
  const int inRate = frame->sample_rate > 0 ? frame->sample_rate : m_sampleRate;
  if (!m_swr || m_swrRate != inRate || m_swrFormat != frame->format ||
      m_av->av_channel_layout_compare(&m_swrLayout, &inLayout) != 0) {
    AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;
    if (m_swr) m_av->swr_free(&m_swr);
    if (m_av->swr_alloc_set_opts2(&m_swr, &stereo, AV_SAMPLE_FMT_FLT, m_sampleRate, &inLayout,
                                  AVSampleFormat(frame->format), inRate, 0, nullptr) < 0 ||
        m_av->swr_init(m_swr) < 0) {
      if (m_swr) m_av->swr_free(&m_swr);
      m_av->av_channel_layout_uninit(&inLayout);
      return;
    }
    m_av->av_channel_layout_uninit(&m_swrLayout);
    m_av->av_channel_layout_copy(&m_swrLayout, &inLayout);
    m_swrRate = inRate;
    m_swrFormat = frame->format;
  }
  m_av->av_channel_layout_uninit(&inLayout);

  std::int64_t start = -1;
  if (m_skipTo >= 0) {
    const AVStream* st = m_format->streams[m_stream];
    const std::int64_t pts = frame->best_effort_timestamp;
    const std::int64_t origin = st->start_time != AV_NOPTS_VALUE ? st->start_time : 0;
    start = pts != AV_NOPTS_VALUE
                ? saturatingSub(m_av->av_rescale_q(saturatingSub(pts, origin), st->time_base,
                                                   AVRational{1, m_sampleRate}),
                                m_originFrames)
                : m_skipTo;
  }

  if (m_pendingStart > 0) {
    m_pending.erase(m_pending.begin(), m_pending.begin() + std::ptrdiff_t(m_pendingStart));
    m_pendingStart = 0;
  }
  const int room = m_av->swr_get_out_samples(m_swr, frame->nb_samples);
  if (room <= 0) return;
  const std::size_t old = m_pending.size();
  m_pending.resize(old + std::size_t(room) * 2);
  auto* out = reinterpret_cast<std::uint8_t*>(m_pending.data() + old);
  const int got = m_av->swr_convert(
      m_swr, &out, room, const_cast<const std::uint8_t**>(frame->extended_data), frame->nb_samples);
  m_pending.resize(old + std::size_t(std::max(got, 0)) * 2);
  sanitise(m_pending.data() + old, m_pending.size() - old);
  if (m_framesSeen < 2) m_framesBefore += std::max(got, 0);

  if (m_skipTo >= 0) {
    const std::int64_t drop =
        std::min<std::int64_t>(saturatingSub(m_skipTo, start), std::max(got, 0));
    if (drop > 0)
      m_pending.erase(m_pending.begin() + std::ptrdiff_t(old),
                      m_pending.begin() + std::ptrdiff_t(old + drop * 2));
    if (got > 0 && saturatingAdd(start, got) > m_skipTo) {
      // The first kept frame: when the demuxer landed past the target, say where we are.
      m_position = std::max(start, m_skipTo);
      m_skipTo = -1;
    }
  }
}

int FileDecoder::read(float* out, int maxFrames) {
  int got = 0;
  while (got < maxFrames) {
    const std::size_t avail = (m_pending.size() - m_pendingStart) / 2;
    if (avail == 0) {
      if (!decodeMore()) break;
      continue;
    }
    const int n = int(std::min<std::size_t>(avail, std::size_t(maxFrames - got)));
    std::memcpy(out + std::size_t(got) * 2, m_pending.data() + m_pendingStart,
                std::size_t(n) * 2 * sizeof(float));
    m_pendingStart += std::size_t(n) * 2;
    got += n;
  }
  m_position += got;
  return got;
}

void FileDecoder::seek(std::int64_t frame) {
  if (!m_format) return;
  frame = std::max<std::int64_t>(frame, 0);
  const AVStream* st = m_format->streams[m_stream];
  const std::int64_t origin = st->start_time != AV_NOPTS_VALUE ? st->start_time : 0;
  const std::int64_t preroll = std::max<std::int64_t>(
      0, saturatingAdd(frame, m_originFrames) - std::int64_t(kSeekPrerollSeconds * m_sampleRate));
  const std::int64_t ts = saturatingAdd(
      origin, m_av->av_rescale_q(preroll, AVRational{1, m_sampleRate}, st->time_base));
  m_deadlineNs = nowNs() + kSeekBudgetNs;
  if (m_av->av_seek_frame(m_format, m_stream, ts, AVSEEK_FLAG_BACKWARD) < 0)
    m_av->av_seek_frame(m_format, m_stream, origin, AVSEEK_FLAG_BACKWARD | AVSEEK_FLAG_ANY);
  m_deadlineNs = 0;
  m_av->avcodec_flush_buffers(m_codec);
  if (m_swr) m_av->swr_free(&m_swr);
  m_av->av_channel_layout_uninit(&m_swrLayout);
  m_pending.clear();
  m_pendingStart = 0;
  m_eof = m_flushed = false;
  m_skipTo = frame;
  m_position = frame;
}

}  // namespace sound
