// Reads what SDL's file-writing driver captured (interleaved stereo float at 44.1 kHz) and
// prints, for each window of the given length, the left channel's level and pitch.
//
// With --tones it follows each given tone instead: where it first reaches half its peak
// (its start) and nine tenths of it; after that, where it first falls below three quarters,
// a half and a quarter of its peak, and where it falls silent (below 1/250 of its peak: a
// fade's end); and the loudest it is (and where), as a part of its peak, in the two seconds
// after it has fallen silent (later, other tones that start or stop with a click leak into
// the measure). Times are in seconds, -1 for never.
//
// With --steps it follows one tone between two times, beside the others named, in the
// blocks the mixer applies a channel's volume to (256 frames from the capture's start: a
// volume change glides over one block, so a block without one is flat). Runs of flat
// blocks are the levels a knob moved by steps stopped at. It prints how many levels there
// were, the usual drop from one to the next (the median, as a part of the first level), how
// many such drops lead from the first level to the last, and the drop furthest from a whole
// number of them: a knob's path in steps, whatever the clock did.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "support/AudioFixtures.h"

namespace {

constexpr int kRate = 44100;
constexpr double kTailSeconds = 2.0;

std::vector<float> readCapture(const char* path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<char> bytes((std::istreambuf_iterator<char>(in)), {});
  std::vector<float> all(bytes.size() / sizeof(float));
  std::memcpy(all.data(), bytes.data(), all.size() * sizeof(float));
  return all;
}

// The tone's amplitude in each window. A Hann window keeps other tones, and the click of a
// track that ends, out of the measure.
std::vector<double> envelope(const std::vector<float>& all, std::size_t window, double hz) {
  std::vector<double> out;
  const std::size_t frames = window / 2;
  std::vector<float> part(window);
  for (std::size_t at = 0; window && at + window <= all.size(); at += window) {
    for (std::size_t i = 0; i < frames; ++i) {
      const double w = 0.5 - 0.5 * std::cos(2 * M_PI * double(i) / double(frames));
      part[2 * i] = float(all[at + 2 * i] * w);
      part[2 * i + 1] = float(all[at + 2 * i + 1] * w);
    }
    // The window halves a steady tone's measure.
    out.push_back(2 * fixtures::magnitudeAt(part, kRate, hz));
  }
  return out;
}

void printTone(const std::vector<double>& env, double seconds, double hz) {
  double peak = 0;
  for (double a : env) peak = std::max(peak, a);
  std::size_t i = 0;
  while (i < env.size() && env[i] < 0.5 * peak) ++i;
  const auto time = [&](std::size_t w) { return w < env.size() ? double(w) * seconds : -1.0; };
  std::size_t full = i;
  while (full < env.size() && env[full] < 0.9 * peak) ++full;
  std::printf("%g onset=%.3f full=%.3f peak=%.4f", hz, time(i), time(full), peak);
  std::size_t w = full;
  for (const auto& [name, part] :
       {std::pair{"below75", 0.75}, {"below50", 0.5}, {"below25", 0.25}, {"silent", 0.004}}) {
    w = full;
    while (w < env.size() && env[w] >= part * peak) ++w;
    std::printf(" %s=%.3f", name, time(w));
  }
  double tail = 0;
  std::size_t tailAt = env.size();
  const std::size_t tailEnd = std::min(env.size(), w + std::size_t(kTailSeconds / seconds));
  for (; w < tailEnd; ++w)
    if (env[w] > tail) tail = env[tailAt = w];
  std::printf(" tail=%.4f tailat=%.3f\n", peak > 0 ? tail / peak : 0.0, time(tailAt));
}

constexpr std::size_t kVolumeBlock = 256;

// The amplitude of the tone `hz` in each volume block, fitted beside the `others` (sine and
// cosine of each, by least squares).
std::vector<double> blockLevels(const std::vector<float>& all, double from, double to, double hz,
                                const std::vector<double>& others) {
  std::vector<double> freqs{hz};
  freqs.insert(freqs.end(), others.begin(), others.end());
  const std::size_t n = 2 * freqs.size();
  std::vector<double> out;
  const auto first = std::size_t(from * kRate) / kVolumeBlock;
  const auto last = std::min(std::size_t(to * kRate), all.size() / 2) / kVolumeBlock;
  std::vector<double> basis(n), m(n * (n + 1));
  for (std::size_t b = first; b < last; ++b) {
    std::fill(m.begin(), m.end(), 0.0);
    for (std::size_t f = b * kVolumeBlock; f < (b + 1) * kVolumeBlock; ++f) {
      for (std::size_t k = 0; k < freqs.size(); ++k) {
        basis[2 * k] = std::sin(2 * M_PI * freqs[k] * double(f) / kRate);
        basis[2 * k + 1] = std::cos(2 * M_PI * freqs[k] * double(f) / kRate);
      }
      for (std::size_t r = 0; r < n; ++r) {
        for (std::size_t c = 0; c < n; ++c) m[r * (n + 1) + c] += basis[r] * basis[c];
        m[r * (n + 1) + n] += basis[r] * all[2 * f];
      }
    }
    // Gauss-Jordan elimination with partial pivoting on [M | y].
    for (std::size_t c = 0; c < n; ++c) {
      std::size_t pivot = c;
      for (std::size_t r = c + 1; r < n; ++r)
        if (std::abs(m[r * (n + 1) + c]) > std::abs(m[pivot * (n + 1) + c])) pivot = r;
      for (std::size_t k = 0; k <= n; ++k) std::swap(m[c * (n + 1) + k], m[pivot * (n + 1) + k]);
      for (std::size_t r = 0; r < n; ++r) {
        if (r == c || m[c * (n + 1) + c] == 0) continue;
        const double q = m[r * (n + 1) + c] / m[c * (n + 1) + c];
        for (std::size_t k = c; k <= n; ++k) m[r * (n + 1) + k] -= q * m[c * (n + 1) + k];
      }
    }
    out.push_back(std::hypot(m[n] / m[0], m[(n + 1) + n] / m[(n + 1) + 1]));
  }
  return out;
}

int printSteps(const std::vector<double>& levels) {
  if (levels.size() < 2 || levels.front() <= 0) {
    std::printf("steps=0 levels=0\n");
    return 1;
  }
  // A block is flat when it differs from the one before by less than this part of the
  // first level (a 16-bit tone's fit varies by about a hundredth of that).
  const double flat = 5e-4 * levels.front();
  std::vector<double> plateaus;
  for (std::size_t i = 1; i < levels.size(); ++i) {
    if (std::abs(levels[i] - levels[i - 1]) >= flat) continue;
    if (i >= 2 && std::abs(levels[i - 1] - levels[i - 2]) < flat) continue;  // still the same run
    plateaus.push_back(levels[i]);
  }
  std::vector<double> drops;
  for (std::size_t i = 1; i < plateaus.size(); ++i) drops.push_back(plateaus[i - 1] - plateaus[i]);
  if (drops.empty()) {
    std::printf("steps=0 levels=%zu\n", plateaus.size());
    return 1;
  }
  std::vector<double> sorted = drops;
  std::nth_element(sorted.begin(), sorted.begin() + std::ptrdiff_t(sorted.size() / 2),
                   sorted.end());
  const double step = sorted[sorted.size() / 2];
  double worst = 0;
  for (double d : drops) worst = std::max(worst, std::abs(d / step - std::nearbyint(d / step)));
  std::printf("steps=%.2f levels=%zu step=%.6f worst=%.3f first=%.4f last=%.4f\n",
              (plateaus.front() - plateaus.back()) / step, plateaus.size(), step / levels.front(),
              worst, plateaus.front(), plateaus.back());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 5 && std::string(argv[2]) == "--steps") {
    std::vector<double> others;
    for (int a = 6; a < argc; ++a) others.push_back(std::atof(argv[a]));
    return printSteps(blockLevels(readCapture(argv[1]), std::atof(argv[4]), std::atof(argv[5]),
                                  std::atof(argv[3]), others));
  }
  const bool tones = argc > 2 && std::string(argv[2]) == "--tones";
  const int first = tones ? 3 : 2;
  if (argc <= first) {
    std::fprintf(stderr,
                 "usage: tv_analyse CAPTURE.raw WINDOW_SECONDS [HZ...]\n"
                 "       tv_analyse CAPTURE.raw --tones WINDOW_SECONDS HZ...\n"
                 "       tv_analyse CAPTURE.raw --steps HZ FROM TO [OTHER_HZ...]\n");
    return 2;
  }
  const std::vector<float> all = readCapture(argv[1]);
  const double seconds = std::atof(argv[first]);
  const auto window = std::size_t(seconds * kRate) * 2;
  if (tones) {
    for (int a = first + 1; a < argc; ++a)
      printTone(envelope(all, window, std::atof(argv[a])), seconds, std::atof(argv[a]));
    return 0;
  }
  for (std::size_t at = 0; window && at + window <= all.size(); at += window) {
    const std::vector<float> part(all.begin() + std::ptrdiff_t(at),
                                  all.begin() + std::ptrdiff_t(at + window));
    std::printf("%7.2f s  rms %.3f  pitch %7.1f Hz", double(at / 2) / kRate, fixtures::rms(part),
                fixtures::zeroCrossingHz(part, kRate));
    // Further arguments name frequencies whose amplitude to print.
    for (int a = first + 1; a < argc; ++a)
      std::printf("  %s Hz: %.3f", argv[a], fixtures::magnitudeAt(part, kRate, std::atof(argv[a])));
    std::printf("\n");
  }
  return 0;
}
