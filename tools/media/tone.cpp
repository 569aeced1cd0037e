// Writes a test tone for the end-to-end tests: MP3 or WMA by the file's extension (WAV data
// when that encoder is missing; the decoder goes by the content), WAV otherwise.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "media/AudioFixtures.h"

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: tv_tone OUT HZ SECONDS [AMPLITUDE]\n");
    return 2;
  }
  const std::string out = argv[1];
  const std::vector<fixtures::Segment> tone = {{std::atof(argv[2]), std::atof(argv[3])}};
  const double amplitude = argc > 4 ? std::atof(argv[4]) : 0.5;
  const std::string ext = out.size() > 4 ? out.substr(out.size() - 4) : std::string();
  if ((ext == ".mp3" || ext == ".wma") && fixtures::writeEncoded(out, tone, 44100, amplitude))
    return 0;
  fixtures::writeWav(out, tone, 44100, 2, amplitude);
  return 0;
}
