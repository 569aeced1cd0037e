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
// With --sides it prints, for each window, each given tone's amplitude on the left and on
// the right channel.
//
// With --onsets it prints, for each given tone, where its bursts start (one line a tone: the
// tone, then the times in seconds; see fixtures::burstOnsets).
//
// With --steps it follows one tone between two times, beside the others named, in the
// blocks the mixer applies a channel's volume to (256 frames from the capture's start: a
// volume change glides across one block). It takes the usual fall of a block that falls
// (the median) for about one step, counts each fall in whole steps of that size, and prints
// how many steps lead from the first level to the last, in how many blocks it fell,
// the step as a part of the first level, the fall furthest from a whole number of steps
// (by how much of a step, and where; falls in a block where another tone starts or stops
// are not measured so, and counted as skipped), and the first and last levels: a knob's
// path in steps, whatever the clock did.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "media/AudioFixtures.h"

namespace {

constexpr int kRate = 44100;
constexpr double kTailSeconds = 2.0;

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

// The tone `hz` at the start and at the end of each volume block, fitted beside the
// `others` by least squares: each tone is a sine and a cosine whose amplitudes may glide
// linearly across the block, as a volume change does.
std::vector<std::pair<double, double>> blockLevels(const std::vector<float>& all, double from,
                                                   double to, double hz,
                                                   const std::vector<double>& others) {
  std::vector<double> freqs{hz};
  freqs.insert(freqs.end(), others.begin(), others.end());
  const std::size_t n = 4 * freqs.size(), w = n + 1;
  std::vector<std::pair<double, double>> out;
  const auto first = std::size_t(from * kRate) / kVolumeBlock;
  const auto last = std::min(std::size_t(to * kRate), all.size() / 2) / kVolumeBlock;
  std::vector<double> basis(n), m(n * w);
  for (std::size_t b = first; b < last; ++b) {
    std::fill(m.begin(), m.end(), 0.0);
    for (std::size_t f = b * kVolumeBlock; f < (b + 1) * kVolumeBlock; ++f) {
      const double t = double(f - b * kVolumeBlock + 1) / kVolumeBlock;
      for (std::size_t k = 0; k < freqs.size(); ++k) {
        basis[4 * k] = std::sin(2 * M_PI * freqs[k] * double(f) / kRate);
        basis[4 * k + 1] = std::cos(2 * M_PI * freqs[k] * double(f) / kRate);
        basis[4 * k + 2] = t * basis[4 * k];
        basis[4 * k + 3] = t * basis[4 * k + 1];
      }
      for (std::size_t r = 0; r < n; ++r) {
        for (std::size_t c = 0; c < n; ++c) m[r * w + c] += basis[r] * basis[c];
        m[r * w + n] += basis[r] * all[2 * f];
      }
    }
    // Gauss-Jordan elimination with partial pivoting on [M | y].
    for (std::size_t c = 0; c < n; ++c) {
      std::size_t pivot = c;
      for (std::size_t r = c + 1; r < n; ++r)
        if (std::abs(m[r * w + c]) > std::abs(m[pivot * w + c])) pivot = r;
      for (std::size_t k = 0; k < w; ++k) std::swap(m[c * w + k], m[pivot * w + k]);
      for (std::size_t r = 0; r < n; ++r) {
        if (r == c || m[c * w + c] == 0) continue;
        const double q = m[r * w + c] / m[c * w + c];
        for (std::size_t k = c; k < w; ++k) m[r * w + k] -= q * m[c * w + k];
      }
    }
    const auto x = [&](std::size_t i) {
      return m[i * w + i] != 0 ? m[i * w + n] / m[i * w + i] : 0;
    };
    out.emplace_back(std::hypot(x(0), x(1)), std::hypot(x(0) + x(2), x(1) + x(3)));
  }
  return out;
}

// Blocks where another tone starts or stops (its level changes by a tenth of its loudest
// within the block): a sudden start does not fit a linear glide, so the followed tone's
// fall there is not measured to a fraction of a step.
std::vector<bool> disturbedBlocks(const std::vector<float>& all, double from, double to, double hz,
                                  const std::vector<double>& others) {
  std::vector<bool> out;
  for (std::size_t k = 0; k < others.size(); ++k) {
    std::vector<double> rest{hz};
    for (std::size_t j = 0; j < others.size(); ++j)
      if (j != k) rest.push_back(others[j]);
    const auto levels = blockLevels(all, from, to, others[k], rest);
    double loudest = 0;
    for (const auto& l : levels) loudest = std::max({loudest, l.first, l.second});
    out.resize(levels.size(), false);
    for (std::size_t b = 0; b < levels.size(); ++b)
      if (std::abs(levels[b].first - levels[b].second) > 0.1 * loudest) out[b] = true;
  }
  return out;
}

int printSteps(const std::vector<std::pair<double, double>>& levels,
               const std::vector<bool>& disturbed, double from) {
  const double top = levels.empty() ? 0 : levels.front().first;
  // A block whose level falls by more than this part of the first level holds a step (the
  // fit of a 16-bit tone varies by about a hundredth of that).
  const double still = 5e-4 * top;
  std::vector<double> drops;
  std::vector<std::size_t> where;
  for (std::size_t i = 0; i < levels.size(); ++i)
    if (levels[i].first - levels[i].second > still) {
      drops.push_back(levels[i].first - levels[i].second);
      where.push_back(i);
    }
  if (drops.empty()) {
    std::printf("steps=0\n");
    return 1;
  }
  std::vector<double> sorted = drops;
  std::nth_element(sorted.begin(), sorted.begin() + std::ptrdiff_t(sorted.size() / 2),
                   sorted.end());
  // The median fall is one step give or take the fit's error, which is a few hundredths of a
  // step beside another tone; rounding each fall to whole medians counts the steps, and the
  // whole path over that count is the step.
  const double median = sorted[sorted.size() / 2];
  double whole = 0;
  for (double d : drops) whole += std::nearbyint(d / median);
  const double step = whole > 0 ? (top - levels.back().second) / whole : median;
  double worst = 0, worstAt = 0;
  int skipped = 0;
  for (std::size_t i = 0; i < drops.size(); ++i) {
    if (where[i] < disturbed.size() && disturbed[where[i]]) {
      ++skipped;
      continue;
    }
    const double d = drops[i] / step, off = std::abs(d - std::nearbyint(d));
    if (off > worst) {
      worst = off;
      worstAt = from + double(where[i] * kVolumeBlock) / kRate;
    }
  }
  const double steps = (top - levels.back().second) / step;
  std::printf(
      "steps=%.1f falls=%zu step=%.6f worst=%.3f worstat=%.3f skipped=%d first=%.4f last=%.4f\n",
      steps, drops.size(), step / top, worst, worstAt, skipped, top, levels.back().second);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 5 && std::string(argv[2]) == "--steps") {
    std::vector<double> others;
    for (int a = 6; a < argc; ++a) others.push_back(std::atof(argv[a]));
    const double from = std::atof(argv[4]), to = std::atof(argv[5]), hz = std::atof(argv[3]);
    const std::vector<float> all = fixtures::readCapture(argv[1]);
    return printSteps(blockLevels(all, from, to, hz, others),
                      disturbedBlocks(all, from, to, hz, others),
                      double(std::size_t(from * kRate) / kVolumeBlock * kVolumeBlock) / kRate);
  }
  if (argc > 3 && std::string(argv[2]) == "--onsets") {
    const std::vector<float> all = fixtures::readCapture(argv[1]);
    for (int a = 3; a < argc; ++a) {
      std::printf("%s", argv[a]);
      for (double t : fixtures::burstOnsets(all, std::atof(argv[a]))) std::printf(" %.4f", t);
      std::printf("\n");
    }
    return 0;
  }
  const bool tones = argc > 2 && std::string(argv[2]) == "--tones";
  const bool sides = argc > 2 && std::string(argv[2]) == "--sides";
  const int first = tones || sides ? 3 : 2;
  if (argc <= first) {
    std::fprintf(stderr,
                 "usage: tv_analyse CAPTURE.raw WINDOW_SECONDS [HZ...]\n"
                 "       tv_analyse CAPTURE.raw --tones WINDOW_SECONDS HZ...\n"
                 "       tv_analyse CAPTURE.raw --sides WINDOW_SECONDS HZ...\n"
                 "       tv_analyse CAPTURE.raw --steps HZ FROM TO [OTHER_HZ...]\n"
                 "       tv_analyse CAPTURE.raw --onsets HZ...\n");
    return 2;
  }
  const std::vector<float> all = fixtures::readCapture(argv[1]);
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
    if (sides) {
      std::printf("%7.2f", double(at / 2) / kRate);
      for (int a = first + 1; a < argc; ++a)
        for (int side : {0, 1})
          std::printf(" %.4f", fixtures::magnitudeAt(part, kRate, std::atof(argv[a]), side));
      std::printf("\n");
      continue;
    }
    std::printf("%7.2f s  rms %.3f  pitch %7.1f Hz", double(at / 2) / kRate, fixtures::rms(part),
                fixtures::zeroCrossingHz(part, kRate));
    // Further arguments name frequencies whose amplitude to print.
    for (int a = first + 1; a < argc; ++a)
      std::printf("  %s Hz: %.3f", argv[a], fixtures::magnitudeAt(part, kRate, std::atof(argv[a])));
    std::printf("\n");
  }
  return 0;
}
