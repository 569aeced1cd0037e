// Renders one deck through the benchmarks' chain (15 equaliser bands and the chorus) at
// pitch 1.06 and at 1.0, with one band moved on the way so its glide is heard too, and
// writes the output as raw stereo floats; given a earlier render as well, prints how far
// this one is from it, the worst sample error and the error's power, in dB of full scale.
// What an optimisation of the chain must keep: within -120 dB of what it replaces.
//
// usage: chain_render TRACK.mp3 OUT.f32 [REFERENCE.f32]   (TRACK is written if missing)
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

#include "media/AudioFixtures.h"
#include "platform/sound/SoundSystem.h"

namespace {

std::vector<float> render(const char* track, double pitch) {
  sound::SoundSystem sys;
  std::vector<float> out;
  if (sys.init(3, sound::Output::Manual) != sound::Result::Ok) return out;
  sound::Handle moved = 0;
  for (int i = 0; i < 15; ++i) {
    sound::Handle eq = 0;
    if (sys.createDsp(sound::DspType::ParametricEq, eq) != sound::Result::Ok) return out;
    sys.setDspParameter(eq, 0, 32.0f * float(1 << (i / 2)) * (i % 2 ? 1.4f : 1.0f));
    sys.setDspParameter(eq, 2, i % 2 ? 1.3f : 0.8f);
    sys.addDsp(eq);
    if (i == 9) moved = eq;
  }
  sound::Handle chorus = 0, s = 0, c = 0;
  if (sys.createDsp(sound::DspType::Chorus, chorus) != sound::Result::Ok) return out;
  sys.addDsp(chorus);
  if (sys.createStream(track, s) != sound::Result::Ok ||
      sys.playSound(s, false, c) != sound::Result::Ok)
    return out;
  sys.setChannelFrequency(c, float(44100 * pitch));
  std::vector<float> block(4410 * 2);
  for (bool playing = true; playing; sys.channelPlaying(c, playing)) {
    const std::size_t n = sys.render(block.data(), 4410);
    out.insert(out.end(), block.begin(), block.begin() + std::ptrdiff_t(n * 2));
    if (out.size() == 44100 * 2 * 3) sys.setDspParameter(moved, 2, 2.5f);
  }
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: chain_render TRACK.mp3 OUT.f32 [REFERENCE.f32]\n");
    return 2;
  }
  if (!std::ifstream(argv[1])) {
    std::vector<fixtures::Segment> tones;
    for (int i = 0; i < 20; ++i) tones.push_back({220.0 + 40.0 * (i % 12), 1.0});
    fixtures::writeEncoded(argv[1], tones);
  }
  std::vector<float> out = render(argv[1], 1.06), same = render(argv[1], 1.0);
  out.insert(out.end(), same.begin(), same.end());
  std::ofstream(argv[2], std::ios::binary)
      .write(reinterpret_cast<const char*>(out.data()),
             std::streamsize(out.size() * sizeof(float)));
  if (argc < 4) return 0;
  std::ifstream in(argv[3], std::ios::binary);
  std::vector<char> bytes{std::istreambuf_iterator<char>(in), {}};
  const auto* ref = reinterpret_cast<const float*>(bytes.data());
  const std::size_t n = bytes.size() / sizeof(float);
  if (n != out.size()) {
    std::printf("lengths differ: %zu and %zu samples\n", out.size(), n);
    return 1;
  }
  double worst = 0, power = 0;
  std::size_t differ = 0;
  for (std::size_t i = 0; i < n; ++i) {
    const double e = double(out[i]) - double(ref[i]);
    worst = std::max(worst, std::fabs(e));
    power += e * e;
    differ += e != 0.0;
  }
  auto db = [](double v) { return v > 0 ? 20.0 * std::log10(v) : -999.0; };
  std::printf("%zu samples, %zu differ; worst %.1f dB, error power %.1f dB (full scale)\n", n,
              differ, db(worst), db(std::sqrt(power / double(n))));
  return worst < 1e-6 ? 0 : 1;  // -120 dB
}
