#pragma once

#include <atomic>
#include <vector>

namespace tracks {

// Finds a track's tempo and the phase of its beat from an onset-strength envelope: at about
// 200 points a second, how much the energy of three bands (below about 200 Hz, up to about
// 2.5 kHz, above) rose since the point before, summed over the bands.
//
// The tempo comes in two steps: the envelope's autocorrelation picks the beat period among
// 70..180 BPM (weighed by how well it also explains twice the period; of a period and its
// double that explain the same onsets, the shorter), then the
// period is refined to a small fraction of a percent by the strength of the envelope's
// Fourier components at the beat rate and its first harmonics. The first beat is where a
// grid of that period lines up best with the onsets.
class TempoDetector {
 public:
  explicit TempoDetector(int sampleRate);

  void add(const float* frames, int count);

  struct Beat {
    double bpm = 0;  // 0: no steady beat
    double firstBeatSeconds = 0;
  };
  // The beat, with its first at or just before `audibleStartSeconds`. False when `cancel`
  // turned true on the way.
  bool estimate(double audibleStartSeconds, Beat& out,
                const std::atomic<bool>* cancel = nullptr) const;

  static constexpr double kMinBpm = 70, kMaxBpm = 180;

 private:
  void endHop();

  int m_rate;
  int m_hop;  // frames per envelope point
  double m_lowCoeff, m_midCoeff;
  double m_low = 0, m_mid = 0;  // the one-pole low-passes' states
  double m_energy[3] = {}, m_lastLog[3] = {};
  int m_fill = 0;
  std::vector<float> m_envelope;
};

}  // namespace tracks
