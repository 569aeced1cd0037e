// Fuzz target: open the input as an audio stream and play it. The bytes go to an in-memory
// file; the stream is opened, played for a second in manual output, sought into the middle
// and past the end, played a little more and released. Besides the sanitizers, every
// rendered sample must be finite and within full scale.
#include <sys/mman.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/sound/SoundSystem.h"

namespace {

constexpr int kRate = 44100;

sound::SoundSystem& soundSystem() {
  // One system for the whole run: opening a stream is what is being fuzzed, not init.
  static sound::SoundSystem* sys = [] {
    auto* s = new sound::SoundSystem;
    if (s->init(3, sound::Output::Manual) != sound::Result::Ok) __builtin_trap();
    return s;
  }();
  return *sys;
}

void renderAndCheck(sound::SoundSystem& sys, std::size_t frames) {
  static std::vector<float> block(4410 * 2);
  for (std::size_t done = 0; done < frames; done += 4410) {
    sys.render(block.data(), 4410);
    for (float v : block)
      if (!std::isfinite(v) || std::fabs(v) > 1.0f) __builtin_trap();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const int fd = memfd_create("tv-fuzz-stream", MFD_CLOEXEC);
  if (fd < 0) return 0;
  for (std::size_t done = 0; done < size;) {
    const ssize_t n = write(fd, data + done, size - done);
    if (n <= 0) break;
    done += std::size_t(n);
  }
  sound::SoundSystem& sys = soundSystem();
  sound::Handle sound = 0, channel = 0;
  if (sys.createStream("/proc/self/fd/" + std::to_string(fd), sound) == sound::Result::Ok) {
    std::uint32_t length = 0;
    sys.soundLengthMs(sound, length);
    if (sys.playSound(sound, false, channel) == sound::Result::Ok) {
      renderAndCheck(sys, kRate);
      sys.setChannelPositionMs(channel, length / 2);
      renderAndCheck(sys, kRate / 10);
      sys.setChannelFrequency(channel, kRate * 1.5f);
      sys.setChannelPositionMs(channel, length == UINT32_MAX ? length : length + 1000);
      renderAndCheck(sys, kRate / 10);
    }
    sys.releaseSound(sound);
  }
  close(fd);
  return 0;
}
