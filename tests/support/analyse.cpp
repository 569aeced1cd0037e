// Reads what SDL's file-writing driver captured (interleaved stereo float at 44.1 kHz) and
// prints, for each window of the given length, the left channel's level and pitch.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

#include "support/AudioFixtures.h"

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: tv_analyse CAPTURE.raw WINDOW_SECONDS [HZ...]\n");
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  std::vector<char> bytes((std::istreambuf_iterator<char>(in)), {});
  std::vector<float> all(bytes.size() / sizeof(float));
  std::memcpy(all.data(), bytes.data(), all.size() * sizeof(float));
  const auto window = std::size_t(std::atof(argv[2]) * 44100) * 2;
  for (std::size_t at = 0; window && at + window <= all.size(); at += window) {
    const std::vector<float> part(all.begin() + std::ptrdiff_t(at),
                                  all.begin() + std::ptrdiff_t(at + window));
    std::printf("%7.2f s  rms %.3f  pitch %7.1f Hz", double(at / 2) / 44100.0, fixtures::rms(part),
                fixtures::zeroCrossingHz(part, 44100));
    // Further arguments name frequencies whose amplitude to print.
    for (int a = 3; a < argc; ++a)
      std::printf("  %s Hz: %.3f", argv[a], fixtures::magnitudeAt(part, 44100, std::atof(argv[a])));
    std::printf("\n");
  }
  return 0;
}
