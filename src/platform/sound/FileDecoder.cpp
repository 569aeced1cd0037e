#include "FileDecoder.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "SoundSystem.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
}

namespace sound {

namespace {
// Decoding restarts this far before a seek target: MP3 frames lean on the bytes of the
// frames before them, and a demuxer may land a little late.
constexpr double kSeekPrerollSeconds = 0.5;
// A file whose packets all fail gives up after this many in a row instead of spinning.
constexpr int kMaxBadPackets = 2000;
}  // namespace

FileDecoder::~FileDecoder() {
  close();
}

void FileDecoder::close() {
  if (m_frame) av_frame_free(&m_frame);
  if (m_packet) av_packet_free(&m_packet);
  if (m_swr) swr_free(&m_swr);
  av_channel_layout_uninit(&m_swrLayout);
  m_swrRate = 0;
  m_swrFormat = -1;
  if (m_codec) avcodec_free_context(&m_codec);
  if (m_format) avformat_close_input(&m_format);
  m_stream = -1;
  m_sampleRate = 0;
  m_lengthFrames = 0;
  m_pending.clear();
  m_pendingStart = 0;
}

Result FileDecoder::open(const std::string& path) {
  close();
  std::error_code ec;
  const auto status = std::filesystem::status(path, ec);
  if (ec || !std::filesystem::exists(status)) return Result::FileNotFound;
  if (!std::filesystem::is_regular_file(status)) return Result::FormatError;

  if (avformat_open_input(&m_format, path.c_str(), nullptr, nullptr) < 0) {
    m_format = nullptr;
    return Result::FormatError;
  }
  const AVCodec* codec = nullptr;
  if (avformat_find_stream_info(m_format, nullptr) < 0 ||
      (m_stream = av_find_best_stream(m_format, AVMEDIA_TYPE_AUDIO, -1, -1, &codec, 0)) < 0 ||
      !codec) {
    close();
    return Result::FormatError;
  }
  AVStream* st = m_format->streams[m_stream];
  m_codec = avcodec_alloc_context3(codec);
  if (!m_codec || avcodec_parameters_to_context(m_codec, st->codecpar) < 0 ||
      avcodec_open2(m_codec, codec, nullptr) < 0 || m_codec->sample_rate <= 0 ||
      m_codec->ch_layout.nb_channels <= 0) {
    close();
    return Result::FormatError;
  }
  m_sampleRate = m_codec->sample_rate;
  m_packet = av_packet_alloc();
  m_frame = av_frame_alloc();
  if (!m_packet || !m_frame) {
    close();
    return Result::FormatError;
  }

  const AVRational frameBase{1, m_sampleRate};
  if (st->duration != AV_NOPTS_VALUE && st->duration > 0) {
    // The duration of an MP3 counts the encoder's leading delay, which the decoder drops
    // (it shows as the stream's start time); the length is what is heard.
    std::int64_t duration = st->duration;
    if (st->start_time != AV_NOPTS_VALUE && st->start_time > 0 && st->start_time < duration)
      duration -= st->start_time;
    m_lengthFrames = av_rescale_q(duration, st->time_base, frameBase);
  } else if (m_format->duration != AV_NOPTS_VALUE && m_format->duration > 0)
    m_lengthFrames = av_rescale_q(m_format->duration, AVRational{1, AV_TIME_BASE}, frameBase);
  m_position = 0;
  m_skipTo = -1;
  m_eof = m_flushed = false;
  return Result::Ok;
}

bool FileDecoder::decodeMore() {
  if (m_flushed) {
    m_eof = true;
    return false;
  }
  for (int bad = 0; bad < kMaxBadPackets;) {
    const std::size_t before = m_pending.size();
    if (av_read_frame(m_format, m_packet) < 0) {
      avcodec_send_packet(m_codec, nullptr);
      receiveFrames();
      m_flushed = true;
      return true;
    }
    if (m_packet->stream_index == m_stream) {
      if (avcodec_send_packet(m_codec, m_packet) < 0) ++bad;
      av_packet_unref(m_packet);
      receiveFrames();
      if (m_pending.size() > before) return true;
    } else {
      av_packet_unref(m_packet);
    }
  }
  m_flushed = m_eof = true;
  return false;
}

void FileDecoder::receiveFrames() {
  while (avcodec_receive_frame(m_codec, m_frame) == 0) {
    appendConverted(m_frame);
    av_frame_unref(m_frame);
  }
}

void FileDecoder::appendConverted(AVFrame* frame) {
  if (frame->nb_samples <= 0 || frame->ch_layout.nb_channels <= 0) return;
  // The converter follows the frame's own layout, so a stream that changes its format
  // midway still comes out as stereo at the file's rate.
  AVChannelLayout inLayout;
  if (frame->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC)
    av_channel_layout_default(&inLayout, frame->ch_layout.nb_channels);
  else if (av_channel_layout_copy(&inLayout, &frame->ch_layout) < 0)
    return;
  const int inRate = frame->sample_rate > 0 ? frame->sample_rate : m_sampleRate;
  if (!m_swr || m_swrRate != inRate || m_swrFormat != frame->format ||
      av_channel_layout_compare(&m_swrLayout, &inLayout) != 0) {
    AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;
    if (m_swr) swr_free(&m_swr);
    if (swr_alloc_set_opts2(&m_swr, &stereo, AV_SAMPLE_FMT_FLT, m_sampleRate, &inLayout,
                            AVSampleFormat(frame->format), inRate, 0, nullptr) < 0 ||
        swr_init(m_swr) < 0) {
      if (m_swr) swr_free(&m_swr);
      av_channel_layout_uninit(&inLayout);
      return;
    }
    av_channel_layout_uninit(&m_swrLayout);
    av_channel_layout_copy(&m_swrLayout, &inLayout);
    m_swrRate = inRate;
    m_swrFormat = frame->format;
  }
  av_channel_layout_uninit(&inLayout);

  std::int64_t start = -1;
  if (m_skipTo >= 0) {
    const AVStream* st = m_format->streams[m_stream];
    const std::int64_t pts = frame->best_effort_timestamp;
    const std::int64_t origin = st->start_time != AV_NOPTS_VALUE ? st->start_time : 0;
    start = pts != AV_NOPTS_VALUE
                ? av_rescale_q(pts - origin, st->time_base, AVRational{1, m_sampleRate})
                : m_skipTo;
  }

  if (m_pendingStart > 0) {
    m_pending.erase(m_pending.begin(), m_pending.begin() + std::ptrdiff_t(m_pendingStart));
    m_pendingStart = 0;
  }
  const int room = swr_get_out_samples(m_swr, frame->nb_samples);
  if (room <= 0) return;
  const std::size_t old = m_pending.size();
  m_pending.resize(old + std::size_t(room) * 2);
  auto* out = reinterpret_cast<std::uint8_t*>(m_pending.data() + old);
  const int got = swr_convert(
      m_swr, &out, room, const_cast<const std::uint8_t**>(frame->extended_data), frame->nb_samples);
  m_pending.resize(old + std::size_t(std::max(got, 0)) * 2);

  if (m_skipTo >= 0) {
    const std::int64_t drop = std::min<std::int64_t>(m_skipTo - start, std::max(got, 0));
    if (drop > 0)
      m_pending.erase(m_pending.begin() + std::ptrdiff_t(old),
                      m_pending.begin() + std::ptrdiff_t(old + drop * 2));
    if (got > 0 && start + got > m_skipTo) {
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
  const std::int64_t preroll =
      std::max<std::int64_t>(0, frame - std::int64_t(kSeekPrerollSeconds * m_sampleRate));
  const std::int64_t ts =
      origin + av_rescale_q(preroll, AVRational{1, m_sampleRate}, st->time_base);
  if (av_seek_frame(m_format, m_stream, ts, AVSEEK_FLAG_BACKWARD) < 0)
    av_seek_frame(m_format, m_stream, origin, AVSEEK_FLAG_BACKWARD | AVSEEK_FLAG_ANY);
  avcodec_flush_buffers(m_codec);
  if (m_swr) swr_free(&m_swr);
  av_channel_layout_uninit(&m_swrLayout);
  m_pending.clear();
  m_pendingStart = 0;
  m_eof = m_flushed = false;
  m_skipTo = frame;
  m_position = frame;
}

}  // namespace sound
