#include "DriftFollower.h"

#include <samplerate.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>

namespace sound {

namespace {
constexpr int kConverter = SRC_SINC_FASTEST;
constexpr std::uint64_t kMask = DriftFollower::kCapacity - 1;
constexpr std::uint64_t kStampSet = std::uint64_t(1) << 63;
constexpr std::uint32_t kTimeMask = 0x7FFFFFFF;
// The loop: natural frequency 0.2 rad/s, critically damped, on the fill seen through a low-pass
// of half a second (callback times jitter by a millisecond or more).
constexpr double kOmega = 0.2;
constexpr double kKp = 2.0 * kOmega;     // speed per second of fill error
constexpr double kKi = kOmega * kOmega;  // speed per second of error, per second
constexpr double kSmoothing = 0.5;       // seconds
constexpr double kStaleStamp = 0.1;      // seconds; an older stamp is not extrapolated
constexpr double kExcessMs = 40.0;
constexpr double kLookahead =
    3 * DriftFollower::kChunk;  // beyond the target: a reader back from a pause

std::uint32_t micros(double seconds) {
  return std::uint32_t(std::int64_t(std::llround(seconds * 1e6)) & kTimeMask);
}
}  // namespace

DriftFollower::DriftFollower(int sampleRate)
    : m_rate(sampleRate),
      m_target(kTargetMs * sampleRate / 1000.0),
      m_ring(new float[kCapacity * 2]()) {
  int error = 0;
  m_src = src_callback_new(&DriftFollower::pullInput, kConverter, 2, &error, this);
}

DriftFollower::~DriftFollower() {
  if (m_src) src_delete(m_src);
}

double DriftFollower::clockSeconds() {
  using namespace std::chrono;
  return duration<double>(steady_clock::now().time_since_epoch()).count();
}

void DriftFollower::markTime(double seconds) {
  const std::uint64_t frames = m_written.load(std::memory_order_relaxed) & 0xFFFFFFFF;
  m_stamp.store(kStampSet | std::uint64_t(micros(seconds)) << 32 | frames,
                std::memory_order_release);
}

void DriftFollower::write(const float* frames, int count) {
  const std::uint64_t head = m_written.load(std::memory_order_relaxed);
  const std::uint64_t room = kCapacity - (head - m_read.load(std::memory_order_acquire));
  const auto n = std::uint64_t(std::max(count, 0));
  if (n > room) return;  // nobody reads: drop the block, never wait
  for (std::uint64_t i = 0; i < n;) {
    const std::uint64_t at = (head + i) & kMask;
    const std::uint64_t run = std::min(n - i, kCapacity - at);
    std::memcpy(&m_ring[at * 2], frames + i * 2, run * 2 * sizeof(float));
    i += run;
  }
  m_written.store(head + n, std::memory_order_release);
}

double DriftFollower::smoothFill(std::uint64_t written, std::uint64_t read, double seconds) const {
  const double raw = double(written - read);
  const std::uint64_t stamp = m_stamp.load(std::memory_order_acquire);
  if (!(stamp & kStampSet)) return raw;
  const std::uint32_t since = (micros(seconds) - std::uint32_t(stamp >> 32)) & kTimeMask;
  // A call of the producer's that began an instant after the reader's clock read counts as now.
  const double elapsed = since > kTimeMask / 2 ? 0.0 : since * 1e-6;
  if (elapsed > kStaleStamp) return raw;
  // The stamp's frame count is the low 32 bits of a count that only grows, and the reader
  // is never more than the ring behind it.
  const auto before = std::int32_t(std::uint32_t(stamp) - std::uint32_t(read));
  // Not held to the raw fill: a master's call that comes late does not hold its device's
  // clock back.
  return double(before) + elapsed * m_rate;
}

void DriftFollower::silence(float* out, int frames, bool underrun) {
  std::memset(out, 0, std::size_t(std::max(frames, 0)) * 2 * sizeof(float));
  if (!underrun) return;
  // The converter is reset when the ring holds the target again.
  m_underruns.fetch_add(1, std::memory_order_relaxed);
  m_centring = true;
}

void DriftFollower::restart() {
  m_centring = true;
  m_integral = 0.0;
  m_speed = 1.0;
}

long DriftFollower::pullInput(void* user, float** data) {
  auto* self = static_cast<DriftFollower*>(user);
  const std::uint64_t tail = self->m_read.load(std::memory_order_relaxed);
  const std::uint64_t have = self->m_written.load(std::memory_order_acquire) - tail;
  const std::uint64_t at = tail & kMask;
  const auto n = std::uint64_t(std::min<std::uint64_t>({have, kChunk, kCapacity - at}));
  std::memcpy(self->m_chunk.data(), &self->m_ring[at * 2], n * 2 * sizeof(float));
  self->m_read.store(tail + n, std::memory_order_release);
  // Nothing back is the end of the input for the converter: it flushes its filter and
  // makes nothing more until it is reset.
  if (n == 0) self->m_starved = true;
  *data = self->m_chunk.data();
  return long(n);
}

void DriftFollower::read(float* out, int frames, double seconds) {
  if (!m_src || frames <= 0) return silence(out, frames, false);
  const std::uint64_t written = m_written.load(std::memory_order_acquire);
  std::uint64_t tail = m_read.load(std::memory_order_relaxed);
  double fill = smoothFill(written, tail, seconds);
  if (m_centring) {
    // Full enough, in the ring too: what is beyond the target is old, and goes.
    const double ready = std::min(fill, double(written - tail));
    if (ready < m_target) return silence(out, frames, false);
    const auto excess = std::uint64_t(ready - m_target);
    tail += excess;
    fill -= double(excess);
    m_read.store(tail, std::memory_order_release);
    src_reset(m_src);
    m_filtered = fill;
    m_centring = false;
  } else if (fill > m_target + kExcessMs * m_rate / 1000.0) {
    m_centring = true;  // the reader was away: start again from the target
    return read(out, frames, seconds);
  }
  // The converter reads ahead of what it plays by its filter's reach and a chunk.
  if (double(written - tail) < frames * m_speed + kLookahead) return silence(out, frames, true);

  const double dt = frames / m_rate;
  m_filtered += (fill - m_filtered) * std::min(1.0, dt / kSmoothing);
  const double error = (m_filtered - m_target) / m_rate;  // seconds
  m_integral = std::clamp(m_integral + kKi * error * dt, -kMaxCorrection, kMaxCorrection);
  m_speed = 1.0 + std::clamp(kKp * error + m_integral, -kMaxCorrection, kMaxCorrection);
  m_speedShown.store(m_speed, std::memory_order_relaxed);

  m_starved = false;
  const long got = std::max(src_callback_read(m_src, 1.0 / m_speed, frames, out), 0L);
  if (got < frames || m_starved) silence(out + got * 2, frames - int(got), true);
}

}  // namespace sound
