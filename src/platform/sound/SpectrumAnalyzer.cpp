#include "SpectrumAnalyzer.h"

#include <kissfft/kiss_fftr.h>

#include <algorithm>
#include <cmath>

namespace sound {

struct SpectrumAnalyzer::Plan {
  kiss_fftr_cfg cfg = nullptr;
  std::vector<float> input;
  std::vector<kiss_fft_cpx> output;
  ~Plan() { kiss_fftr_free(cfg); }
};

SpectrumAnalyzer::SpectrumAnalyzer() = default;
SpectrumAnalyzer::~SpectrumAnalyzer() = default;

SpectrumAnalyzer::Plan& SpectrumAnalyzer::plan(int nfft) {
  auto& p = m_plans[nfft];
  if (!p) {
    p = std::make_unique<Plan>();
    p->cfg = kiss_fftr_alloc(nfft, 0, nullptr, nullptr);
    p->input.resize(std::size_t(nfft));
    p->output.resize(std::size_t(nfft / 2 + 1));
  }
  return *p;
}

static double windowAt(Window w, int i, int n) {
  const double x = double(i) / double(n - 1);
  switch (w) {
    case Window::Rect:
      return 1.0;
    case Window::Triangle:
      return 1.0 - std::fabs(2.0 * x - 1.0);
    case Window::Hamming:
      return 0.54 - 0.46 * std::cos(2 * M_PI * x);
    case Window::Hanning:
      return 0.5 - 0.5 * std::cos(2 * M_PI * x);
    case Window::Blackman:
      return 0.42 - 0.5 * std::cos(2 * M_PI * x) + 0.08 * std::cos(4 * M_PI * x);
    case Window::BlackmanHarris:
      return 0.35875 - 0.48829 * std::cos(2 * M_PI * x) + 0.14128 * std::cos(4 * M_PI * x) -
             0.01168 * std::cos(6 * M_PI * x);
  }
  return 1.0;
}

void SpectrumAnalyzer::analyze(const float* samples, int count, Window window, float* values) {
  const int nfft = count * 2;
  Plan& p = plan(nfft);
  double sum = 0.0;
  for (int i = 0; i < nfft; ++i) {
    const double w = windowAt(window, i, nfft);
    sum += w;
    p.input[std::size_t(i)] = float(samples[i] * w);
  }
  kiss_fftr(p.cfg, p.input.data(), p.output.data());
  const double scale = sum > 0 ? 2.0 / sum : 0.0;
  for (int k = 0; k < count; ++k) {
    const kiss_fft_cpx c = p.output[std::size_t(k)];
    values[k] = float(std::min(1.0, std::hypot(double(c.r), double(c.i)) * scale));
  }
}

}  // namespace sound
