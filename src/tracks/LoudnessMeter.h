#pragma once

#include <cstdint>
#include <vector>

namespace tracks {

// EBU R 128 integrated loudness and the 4x oversampled true peak of interleaved stereo
// float frames, fed block by block.
//
// The K-weighting runs in double precision (its 38 Hz high-pass has poles close to the unit
// circle); 100 ms energies are kept and gated once at the end, as BS.1770 describes: 400 ms
// blocks every 100 ms, an absolute gate at -70 LUFS and a relative one 10 LU below.
//
// The true peak interpolates three points between each pair of samples. A stretch of 64
// frames whose samples (with the filter's reach either side) cannot, even at the filter's
// largest gain, rise above the peak found so far is not interpolated: the result is the
// same as interpolating everything, at a fraction of the cost on most music.
class LoudnessMeter {
 public:
  explicit LoudnessMeter(int sampleRate);

  void add(const float* frames, int count);
  // Integrated loudness in LUFS; NAN when no block passes the gates (silence, or shorter
  // than 400 ms).
  double integratedLufs() const;
  // True peak in dBFS; NAN when every sample was zero. Call after the last add().
  double truePeakDbfs();

  static constexpr int kTaps = 12;  // per interpolated point, six samples either side

 private:
  void weigh(const float* frames, int count);
  void scanPeaks();

  struct Biquad {
    double b0, b1, b2, a1, a2;
  };
  Biquad m_shelf{}, m_highPass{};
  double m_state[2][4] = {};  // per channel: two states of each stage
  int m_subBlockFrames;       // 100 ms
  int m_subBlockFill = 0;
  double m_subBlockSum = 0;
  std::vector<double> m_subBlocks;  // mean of the K-weighted channels' squares, summed

  float m_phase[3][kTaps] = {};  // interpolation taps for 1/4, 2/4 and 3/4
  float m_maxGain = 0;           // the largest sum of |taps| of a phase
  std::vector<float> m_window;   // the last kTaps frames before the new ones, then them
  float m_peak = 0;
  bool m_flushed = false;
};

}  // namespace tracks
