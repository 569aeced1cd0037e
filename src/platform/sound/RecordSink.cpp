#include "RecordSink.h"

#include <FLAC/stream_encoder.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <vector>

namespace sound {

namespace {

std::string errorText(const char* what) {
  return std::string(what) + ": " + std::strerror(errno);
}

// A file written with plain write(2), so a failure is seen at the call that met it and
// nothing lies in a user-space buffer.
class RawFile {
 public:
  ~RawFile() { close(); }
  bool open(const std::string& path, std::string& error) {
    m_fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (m_fd < 0) error = errorText("cannot create the recording");
    return m_fd >= 0;
  }
  bool write(const void* data, std::size_t bytes, std::string& error) {
    const auto* p = static_cast<const char*>(data);
    while (bytes > 0) {
      const ssize_t n = ::write(m_fd, p, bytes);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        if (n == 0) errno = ENOSPC;
        error = errorText("writing the recording failed");
        return false;
      }
      p += n;
      bytes -= std::size_t(n);
      m_size += std::uint64_t(n);
    }
    return true;
  }
  bool writeAt(std::uint64_t at, const void* data, std::size_t bytes) {
    return ::pwrite(m_fd, data, bytes, off_t(at)) == ssize_t(bytes);
  }
  bool seek(std::uint64_t at) {
    if (::lseek(m_fd, off_t(at), SEEK_SET) < 0) return false;
    m_size = at;
    return true;
  }
  std::uint64_t position() const { return m_size; }
  void close() {
    if (m_fd >= 0) ::close(m_fd);
    m_fd = -1;
  }

 private:
  int m_fd = -1;
  std::uint64_t m_size = 0;  // the write position
};

void put16(unsigned char* p, unsigned v) {
  p[0] = static_cast<unsigned char>(v);
  p[1] = static_cast<unsigned char>(v >> 8);
}
void put32(unsigned char* p, std::uint32_t v) {
  put16(p, v & 0xffff);
  put16(p + 2, v >> 16);
}

// 32-bit float WAV: RIFF, an 18-byte fmt chunk, a fact chunk and the data. The sizes are
// written again at every flush, so the file is whole as far as it goes.
class WavSink final : public RecordSink {
 public:
  static constexpr std::size_t kHeader = 58;
  WavSink(int rate) : m_rate(std::uint32_t(rate)) {}
  bool open(const std::string& path, std::string& error) {
    return m_file.open(path, error) && m_file.write(header(0).data(), kHeader, error);
  }
  bool write(const float* frames, std::size_t count) override {
    if (!m_file.write(frames, count * 8, m_error)) {
      writeSizes();  // what did reach the file stays readable
      return false;
    }
    m_frames += count;
    return true;
  }
  bool flush() override {
    if (writeSizes()) return true;
    m_error = errorText("updating the recording's header failed");
    return false;
  }
  bool finish() override {
    const bool ok = flush();
    m_file.close();
    return ok;
  }

 private:
  bool writeSizes() {
    // Whole frames only: a write cut short leaves part of one at the end.
    const std::uint64_t data = std::min<std::uint64_t>(
        (m_file.position() - std::min<std::uint64_t>(m_file.position(), kHeader)) / 8 * 8,
        0xffffffffu - kHeader);
    m_frames = data / 8;
    return m_file.writeAt(0, header(std::uint32_t(data)).data(), kHeader);
  }
  std::vector<unsigned char> header(std::uint32_t data) const {
    std::vector<unsigned char> h(kHeader, 0);
    std::memcpy(&h[0], "RIFF", 4);
    put32(&h[4], std::uint32_t(kHeader - 8 + data));
    std::memcpy(&h[8], "WAVEfmt ", 8);
    put32(&h[16], 18);
    put16(&h[20], 3);  // IEEE float
    put16(&h[22], 2);
    put32(&h[24], m_rate);
    put32(&h[28], m_rate * 8);
    put16(&h[32], 8);
    put16(&h[34], 32);
    put16(&h[36], 0);
    std::memcpy(&h[38], "fact", 4);
    put32(&h[42], 4);
    put32(&h[46], data / 8);
    std::memcpy(&h[50], "data", 4);
    put32(&h[54], data);
    return h;
  }
  std::uint32_t m_rate;
  RawFile m_file;
};

// 24-bit FLAC through libFLAC. Every frame the encoder makes goes straight to the file, so
// the file always decodes up to the last whole frame (the encoder holds one block, 4096
// frames). finish() lets the encoder write the stream's length and checksum at the start.
class FlacSink final : public RecordSink {
 public:
  FlacSink(int rate) : m_rate(rate) {}
  ~FlacSink() override {
    if (m_encoder) FLAC__stream_encoder_delete(m_encoder);
  }
  bool open(const std::string& path, std::string& error) {
    if (!m_file.open(path, error)) return false;
    m_encoder = FLAC__stream_encoder_new();
    if (!m_encoder) return fail(error, "the FLAC encoder could not be made");
    FLAC__stream_encoder_set_channels(m_encoder, 2);
    FLAC__stream_encoder_set_bits_per_sample(m_encoder, 24);
    FLAC__stream_encoder_set_sample_rate(m_encoder, unsigned(m_rate));
    FLAC__stream_encoder_set_compression_level(m_encoder, 5);
    if (FLAC__stream_encoder_init_stream(m_encoder, &FlacSink::onWrite, &FlacSink::onSeek,
                                         &FlacSink::onTell, nullptr,
                                         this) != FLAC__STREAM_ENCODER_INIT_STATUS_OK)
      return fail(error, m_error.empty() ? "the FLAC encoder did not start" : m_error.c_str());
    return true;
  }
  bool write(const float* frames, std::size_t count) override {
    m_ints.resize(count * 2);
    for (std::size_t i = 0; i < count * 2; ++i)
      m_ints[i] =
          FLAC__int32(std::clamp(std::lrint(double(frames[i]) * 8388608.0), -8388608L, 8388607L));
    if (!FLAC__stream_encoder_process_interleaved(m_encoder, m_ints.data(), unsigned(count)))
      return encoderFailed();
    m_frames += count;
    return true;
  }
  bool flush() override { return m_error.empty(); }
  bool finish() override {
    if (!m_encoder) return false;
    const bool ok = FLAC__stream_encoder_finish(m_encoder) && m_error.empty();
    if (!ok && m_error.empty()) encoderFailed();
    m_file.close();
    return ok;
  }

 private:
  bool fail(std::string& error, const char* why) {
    error = why;
    return false;
  }
  bool encoderFailed() {
    if (m_error.empty())
      m_error = std::string("the FLAC encoder failed: ") +
                FLAC__stream_encoder_get_resolved_state_string(m_encoder);
    return false;
  }
  static FLAC__StreamEncoderWriteStatus onWrite(const FLAC__StreamEncoder*, const FLAC__byte b[],
                                                size_t bytes, uint32_t, uint32_t, void* self) {
    auto* s = static_cast<FlacSink*>(self);
    return s->m_file.write(b, bytes, s->m_error) ? FLAC__STREAM_ENCODER_WRITE_STATUS_OK
                                                 : FLAC__STREAM_ENCODER_WRITE_STATUS_FATAL_ERROR;
  }
  static FLAC__StreamEncoderSeekStatus onSeek(const FLAC__StreamEncoder*, FLAC__uint64 at,
                                              void* self) {
    return static_cast<FlacSink*>(self)->m_file.seek(at) ? FLAC__STREAM_ENCODER_SEEK_STATUS_OK
                                                         : FLAC__STREAM_ENCODER_SEEK_STATUS_ERROR;
  }
  static FLAC__StreamEncoderTellStatus onTell(const FLAC__StreamEncoder*, FLAC__uint64* at,
                                              void* self) {
    *at = static_cast<FlacSink*>(self)->m_file.position();
    return FLAC__STREAM_ENCODER_TELL_STATUS_OK;
  }

  int m_rate;
  RawFile m_file;
  FLAC__StreamEncoder* m_encoder = nullptr;
  std::vector<FLAC__int32> m_ints;
};

template <typename Sink>
std::unique_ptr<RecordSink> make(const std::string& path, int rate, std::string& error) {
  auto sink = std::make_unique<Sink>(rate);
  if (!sink->open(path, error)) return nullptr;
  return sink;
}

}  // namespace

std::unique_ptr<RecordSink> openRecordSink(const std::string& path, RecordFormat format, int rate,
                                           std::string& error) {
  if (path.empty() || rate <= 0) {
    error = "no file to record to";
    return nullptr;
  }
  return format == RecordFormat::WavFloat ? make<WavSink>(path, rate, error)
                                          : make<FlacSink>(path, rate, error);
}

}  // namespace sound
