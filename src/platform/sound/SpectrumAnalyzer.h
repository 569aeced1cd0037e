#pragma once

#include <map>
#include <memory>
#include <vector>

#include "SoundTypes.h"

namespace sound {

// Magnitude spectrum of the latest output of a channel: a windowed real FFT of
// 2 x count samples, scaled so that a full-scale sine reads 1.0 in its band.
class SpectrumAnalyzer {
 public:
  SpectrumAnalyzer();
  ~SpectrumAnalyzer();
  // samples holds 2 x count values; values receives count magnitudes in 0..1.
  void analyze(const float* samples, int count, Window window, float* values);

 private:
  struct Plan;
  Plan& plan(int nfft);
  std::map<int, std::unique_ptr<Plan>> m_plans;
};

}  // namespace sound
