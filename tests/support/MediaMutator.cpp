#include "MediaMutator.h"

#include <algorithm>
#include <fstream>
#include <iterator>

namespace fixtures {

namespace {
constexpr std::size_t kNone = std::size_t(-1);

// Object ids of the ASF container, in file byte order.
const Bytes kAsfHeader = {0x30, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11,
                          0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C};
const Bytes kAsfFileProperties = {0xA1, 0xDC, 0xAB, 0x8C, 0x47, 0xA9, 0xCF, 0x11,
                                  0x8E, 0xE4, 0x00, 0xC0, 0x0C, 0x20, 0x53, 0x65};
const Bytes kAsfStreamProperties = {0x91, 0x07, 0xDC, 0xB7, 0xB7, 0xA9, 0xCF, 0x11,
                                    0x8E, 0xE6, 0x00, 0xC0, 0x0C, 0x20, 0x53, 0x65};
const Bytes kAsfData = {0x36, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11,
                        0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C};
// In an ASF stream properties object, the WAVEFORMATEX starts this far in.
constexpr std::size_t kAsfWaveFormat = 78;

std::size_t locate(const Bytes& b, const Bytes& pattern, std::size_t from = 0) {
  if (from >= b.size()) return kNone;
  const auto it =
      std::search(b.begin() + std::ptrdiff_t(from), b.end(), pattern.begin(), pattern.end());
  return it == b.end() ? kNone : std::size_t(it - b.begin());
}
std::size_t locate(const Bytes& b, const char* text, std::size_t from = 0) {
  return locate(b, Bytes(text, text + std::char_traits<char>::length(text)), from);
}

// Writes `bytes` little-endian bytes of v at `at`, as far as the file reaches.
void putLE(Bytes& b, std::size_t at, std::uint64_t v, int bytes) {
  for (int i = 0; i < bytes && at + std::size_t(i) < b.size(); ++i)
    b[at + std::size_t(i)] = std::uint8_t(v >> (8 * i));
}
void putBE32(Bytes& b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4 && at + std::size_t(i) < b.size(); ++i)
    b[at + std::size_t(i)] = std::uint8_t(v >> (8 * (3 - i)));
}

// Offsets of the first few MPEG audio frame headers (past any ID3 tag).
std::vector<std::size_t> mp3Frames(const Bytes& b, std::size_t most) {
  std::vector<std::size_t> at;
  std::size_t i = 0;
  if (b.size() > 10 && b[0] == 'I' && b[1] == 'D' && b[2] == '3')
    i = 10 + ((std::size_t(b[6] & 0x7F) << 21) | (std::size_t(b[7] & 0x7F) << 14) |
              (std::size_t(b[8] & 0x7F) << 7) | std::size_t(b[9] & 0x7F));
  for (; i + 4 < b.size() && at.size() < most; ++i)
    if (b[i] == 0xFF && (b[i + 1] & 0xE0) == 0xE0) {
      at.push_back(i);
      i += 100;  // the shortest frame the fixtures write is longer than this
    }
  return at;
}

template <typename T, std::size_t N>
T pick(std::mt19937& rng, const T (&values)[N]) {
  return values[rng() % N];
}
}  // namespace

Bytes readBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes((std::istreambuf_iterator<char>(in)), {});
}

void writeBytes(const std::string& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

MediaMutator::Kind MediaMutator::kindOf(const Bytes& file) {
  if (file.size() >= 12 && std::equal(file.begin(), file.begin() + 4, "RIFF") &&
      std::equal(file.begin() + 8, file.begin() + 12, "WAVE"))
    return Kind::Wav;
  if (locate(file, kAsfHeader) == 0) return Kind::Asf;
  return Kind::Mp3;
}

Bytes MediaMutator::mutate(const Bytes& file, Mutation mutation, std::string& what) {
  Bytes b = file;
  const Kind kind = kindOf(file);
  switch (mutation) {
    case Mutation::FlipBytes: {
      const std::size_t count = 1 + below(16);
      for (std::size_t i = 0; i < count && !b.empty(); ++i)
        b[below(b.size())] ^= std::uint8_t(1 + below(255));
      what = "flipped " + std::to_string(count) + " bytes";
      break;
    }
    case Mutation::Truncate:
      b.resize(below(b.size()));
      what = "truncated to " + std::to_string(b.size()) + " bytes";
      break;
    case Mutation::ZeroHeader: {
      const std::size_t n = std::min(b.size(), 4 + below(600));
      std::fill(b.begin(), b.begin() + std::ptrdiff_t(n), 0);
      what = "first " + std::to_string(n) + " bytes zeroed";
      break;
    }
    case Mutation::GarbleHeader: {
      const std::size_t from = below(64), n = 4 + below(400);
      for (std::size_t i = from; i < std::min(b.size(), from + n); ++i)
        b[i] = std::uint8_t(m_rng());
      what = "bytes " + std::to_string(from) + ".." + std::to_string(from + n) + " garbled";
      break;
    }
    case Mutation::LieRate:
      if (!lieRate(b, kind, what)) what = "no rate field found";
      break;
    case Mutation::LieChannels:
      if (!lieChannels(b, kind, what)) what = "no channel field found";
      break;
    case Mutation::LieSize:
      if (!lieSize(b, kind, what)) what = "no size field found";
      break;
    case Mutation::LieLayout:
      if (!lieLayout(b, kind, what)) what = "no layout field found";
      break;
    case Mutation::Splice: {
      const std::size_t from = below(b.size()), to = below(b.size());
      const std::size_t n =
          std::min({std::size_t(1 + below(4096)), b.size() - from, b.size() - to});
      std::copy_n(file.begin() + std::ptrdiff_t(from), n, b.begin() + std::ptrdiff_t(to));
      what = std::to_string(n) + " bytes from " + std::to_string(from) + " copied to " +
             std::to_string(to);
      break;
    }
  }
  return b;
}

bool MediaMutator::lieRate(Bytes& b, Kind kind, std::string& what) {
  const std::uint32_t rates[] = {0u, 1u, 8u, 2147483647u, 4294967295u, 384001u, 1000000u};
  const std::uint32_t rate = pick(m_rng, rates);
  what = "sample rate " + std::to_string(rate);
  if (kind == Kind::Wav) {
    const std::size_t fmt = locate(b, "fmt ");
    if (fmt == kNone) return false;
    putLE(b, fmt + 12, rate, 4);
    if (m_rng() % 2) putLE(b, fmt + 16, rate, 4);  // the byte rate lies along with it
    return true;
  }
  if (kind == Kind::Asf) {
    const std::size_t sp = locate(b, kAsfStreamProperties);
    if (sp == kNone) return false;
    putLE(b, sp + kAsfWaveFormat + 4, rate, 4);
    return true;
  }
  // MPEG audio: a rate index of 3 is reserved; the others move the rate under the decoder.
  const auto frames = mp3Frames(b, 1 + below(8));
  const std::uint8_t index = std::uint8_t(below(4));
  for (std::size_t f : frames) b[f + 2] = std::uint8_t((b[f + 2] & ~0x0C) | (index << 2));
  what = "rate index " + std::to_string(index) + " in " + std::to_string(frames.size()) + " frames";
  return !frames.empty();
}

bool MediaMutator::lieChannels(Bytes& b, Kind kind, std::string& what) {
  const std::uint16_t counts[] = {0, 255, 9, 1, 65535};
  const std::uint16_t channels = pick(m_rng, counts);
  what = "channels " + std::to_string(channels);
  if (kind == Kind::Wav) {
    const std::size_t fmt = locate(b, "fmt ");
    if (fmt == kNone) return false;
    putLE(b, fmt + 10, channels, 2);
    return true;
  }
  if (kind == Kind::Asf) {
    const std::size_t sp = locate(b, kAsfStreamProperties);
    if (sp == kNone) return false;
    putLE(b, sp + kAsfWaveFormat + 2, channels, 2);
    return true;
  }
  const auto frames = mp3Frames(b, 1 + below(8));
  const std::uint8_t mode = std::uint8_t(below(4));
  for (std::size_t f : frames) b[f + 3] = std::uint8_t((b[f + 3] & 0x3F) | (mode << 6));
  what = "channel mode " + std::to_string(mode);
  return !frames.empty();
}

bool MediaMutator::lieSize(Bytes& b, Kind kind, std::string& what) {
  const std::uint64_t sizes[] = {
      0u, 1u, 0x7FFFFFFFu, 0xFFFFFFFFu, 0x7FFFFFFFFFFFFFFFull, 0xFFFFFFFFFFFFFFFFull};
  const std::uint64_t size = pick(m_rng, sizes);
  if (kind == Kind::Wav) {
    const bool riff = m_rng() % 3 == 0;
    const std::size_t data = locate(b, "data");
    if (!riff && data == kNone) return false;
    putLE(b, riff ? 4 : data + 4, size, 4);
    what = std::string(riff ? "RIFF" : "data") + " size " + std::to_string(std::uint32_t(size));
    return true;
  }
  if (kind == Kind::Asf) {
    const std::size_t fp = locate(b, kAsfFileProperties), data = locate(b, kAsfData, 16);
    // Play duration, send duration, preroll, packet count, header or data object size.
    const std::size_t fields[] = {fp + 64, fp + 72, fp + 80, fp + 56, 16, data + 16, data + 40};
    const std::size_t which = below(7);
    if ((which < 4 && fp == kNone) || (which >= 5 && data == kNone)) return false;
    putLE(b, fields[which], size, 8);
    what = "ASF 64-bit field #" + std::to_string(which) + " = " + std::to_string(size);
    return true;
  }
  const std::size_t xing = std::min(locate(b, "Xing"), locate(b, "Info"));
  if (xing != kNone && m_rng() % 2) {
    putBE32(b, xing + 4, 0x3);  // frame and byte counts present
    putBE32(b, xing + 8 + 4 * below(2), std::uint32_t(size));
    what = "Xing count " + std::to_string(std::uint32_t(size));
    return true;
  }
  if (b.size() > 10 && b[0] == 'I' && b[1] == 'D' && b[2] == '3') {
    for (int i = 6; i < 10; ++i) b[std::size_t(i)] = std::uint8_t(size & 0x7F);
    what = "ID3 size " + std::to_string(size & 0x7F) + " x4";
    return true;
  }
  return false;
}

bool MediaMutator::lieLayout(Bytes& b, Kind kind, std::string& what) {
  if (kind == Kind::Wav) {
    const std::size_t fmt = locate(b, "fmt ");
    if (fmt == kNone) return false;
    const std::uint16_t values[] = {0, 1, 3, 7, 64, 0xFFFE, 0xFFFF, 0x55};
    const std::size_t field = fmt + 8 + 2 * std::size_t(m_rng() % 2 ? 6 : (m_rng() % 2 ? 7 : 0));
    const std::uint16_t v = pick(m_rng, values);
    putLE(b, field, v, 2);  // block align, bits per sample or format tag
    what = "fmt field at " + std::to_string(field) + " = " + std::to_string(v);
    return true;
  }
  if (kind == Kind::Asf) {
    const std::size_t fp = locate(b, kAsfFileProperties);
    if (fp == kNone) return false;
    const std::uint32_t values[] = {0u, 1u, 17u, 0xFFFFFFFFu, 0x7FFFFFFFu};
    const std::uint32_t v = pick(m_rng, values);
    putLE(b, fp + 92 + 4 * below(3), v, 4);  // minimum or maximum packet size, bit rate
    what = "ASF packet field = " + std::to_string(v);
    return true;
  }
  const auto frames = mp3Frames(b, 1 + below(8));
  const std::uint8_t bitrate = m_rng() % 2 ? 0 : 15;
  for (std::size_t f : frames) b[f + 2] = std::uint8_t((b[f + 2] & 0x0F) | (bitrate << 4));
  what = "bitrate index " + std::to_string(bitrate);
  return !frames.empty();
}

}  // namespace fixtures
