#include "tracks/TrackAnalyser.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "platform/sound/FileDecoder.h"
#include "platform/sound/SoundTypes.h"
#include "tracks/LoudnessMeter.h"
#include "tracks/TempoDetector.h"
#include "tracks/WaveformBuilder.h"

namespace {
// The analysis runs at the lowest priority: on a busy machine an open takes longer by the
// clock than a deck's, and a file that merely waited must not be marked as one that failed.
constexpr int kOpenBudgetMs = 20000;
}  // namespace

namespace tracks {

namespace {
constexpr int kBlockFrames = 4096;  // about 0.1 ms of work a block: cancel is looked at as often
constexpr float kAudible = 0.001f;  // -60 dBFS

bool cancelled(const std::atomic<bool>* cancel) {
  return cancel && cancel->load(std::memory_order_relaxed);
}

std::int64_t toMs(std::int64_t frames, int rate) {
  return frames * 1000 / rate;
}
}  // namespace

bool analyseTrack(const std::string& path, Analysis& out, const std::atomic<bool>* cancel) {
  out = {};
  sound::FileDecoder decoder;
  if (cancelled(cancel) || decoder.open(path, kOpenBudgetMs) != sound::Result::Ok) return false;
  const int rate = decoder.sampleRate();
  LoudnessMeter loudness(rate);
  TempoDetector tempo(rate);
  WaveformBuilder waveform;
  std::vector<float> block(2 * kBlockFrames);
  std::int64_t frames = 0, firstAudible = -1, lastAudible = -1;
  for (;;) {
    if (cancelled(cancel)) return false;
    const int n = decoder.read(block.data(), kBlockFrames);
    if (n <= 0) break;
    const float* x = block.data();
    loudness.add(x, n);
    tempo.add(x, n);
    waveform.add(x, n);
    // The last audible sample is looked for from the block's end, the first only until found.
    for (int i = 2 * n - 1; i >= 0; --i)
      if (std::fabs(x[i]) > kAudible) {
        lastAudible = frames + i / 2;
        if (firstAudible < 0)
          for (int j = 0; j <= i; ++j)
            if (std::fabs(x[j]) > kAudible) {
              firstAudible = frames + j / 2;
              break;
            }
        break;
      }
    frames += n;
  }
  if (frames == 0) return false;
  out.durationMs = toMs(frames, rate);
  if (firstAudible >= 0) {
    out.audibleStartMs = toMs(firstAudible, rate);
    out.audibleEndMs = toMs(lastAudible, rate);
  }
  out.loudnessLufs = loudness.integratedLufs();
  out.peakDbfs = loudness.truePeakDbfs();
  out.waveform = waveform.finish();
  TempoDetector::Beat beat;
  if (!tempo.estimate(double(std::max<std::int64_t>(0, firstAudible)) / rate, beat, cancel))
    return false;
  out.bpm = beat.bpm;
  out.beatOffsetMs = std::llround(beat.firstBeatSeconds * 1000.0);
  return true;
}

}  // namespace tracks
