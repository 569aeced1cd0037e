#pragma once

#include <cstdint>
#include <memory>

namespace sound {

// A varispeed converter for stereo: a Kaiser-windowed sinc, read from a table of filter
// phases interpolated between neighbours. The table is built for the largest input step of
// a call, rounded up to a step of 1/64, so its cutoff stays below the output's Nyquist
// frequency; it is rebuilt only when that rounded step changes. Nothing allocates after
// construction, so it runs in the output callback.
class SincResampler {
 public:
  // Hands over the next stretch of input (stereo frames) through `data`; 0 ends the input.
  using Pull = long (*)(void* user, float** data);

  SincResampler(Pull pull, void* user);
  ~SincResampler();
  SincResampler(const SincResampler&) = delete;
  SincResampler& operator=(const SincResampler&) = delete;

  // Forgets the input: the next one pulled is frame 0, with silence before it.
  void reset();
  // Writes up to `frames` frames at `ratio` (output rate / input rate), gliding from the
  // last call's ratio to this one over the frames asked for; fewer only at the input's end.
  long read(double ratio, long frames, float* out);
  // The input frame (from the last reset) the next output is taken at, and the ratio it
  // is taken with (0 before the first read).
  double position() const { return m_pos; }
  double ratio() const { return m_lastRatio; }

 private:
  bool ensureInput(std::int64_t upTo);
  void buildBank(int bucket);

  Pull m_pull;
  void* m_user;
  std::unique_ptr<float[]> m_in;     // stereo frames from m_inTime on
  std::int64_t m_inTime = 0;         // the input frame m_in starts with
  std::int64_t m_inEnd = 0;          // the input frame after the last one in m_in
  const float* m_pending = nullptr;  // pulled input not yet copied
  long m_pendingFrames = 0;
  bool m_ended = false;
  std::int64_t m_realEnd = 0;  // the input's end, once pulled
  double m_pos = 0.0;
  double m_lastRatio = 0.0;
  // The table: per phase, the taps' coefficients then their differences to the next
  // phase's.
  std::unique_ptr<float[]> m_bank;
  int m_bucket = -1;
  int m_half = 0;    // taps each side of the output
  int m_phases = 0;  // phases per input frame
};

}  // namespace sound
