// Reads what SDL's file-writing driver captured (interleaved stereo float at 44.1 kHz) and
// prints, for each window of the given length, the left channel's level and pitch.
//
// With --tones it follows each given tone instead: where it first reaches half its peak
// (its start) and nine tenths of it; after that, where it first falls below three quarters,
// a half and a quarter of its peak, and where it falls silent (below 1/250 of its peak: a
// fade's end); and the loudest it is (and where), as a part of its peak, in the two seconds
// after it has fallen silent (later, other tones that start or stop with a click leak into
// the measure). Times are in seconds, -1 for never.
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

}  // namespace

int main(int argc, char** argv) {
  const bool tones = argc > 2 && std::string(argv[2]) == "--tones";
  const int first = tones ? 3 : 2;
  if (argc <= first) {
    std::fprintf(stderr,
                 "usage: tv_analyse CAPTURE.raw WINDOW_SECONDS [HZ...]\n"
                 "       tv_analyse CAPTURE.raw --tones WINDOW_SECONDS HZ...\n");
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
