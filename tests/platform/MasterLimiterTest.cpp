#include "platform/sound/MasterLimiter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

using sound::MasterLimiter;

namespace {

constexpr int kRate = 44100;

std::vector<float> sine(double amplitude, double hz, double seconds) {
  std::vector<float> out(std::size_t(seconds * kRate) * 2);
  for (std::size_t i = 0; i < out.size() / 2; ++i)
    out[2 * i] = out[2 * i + 1] = float(amplitude * std::sin(2 * M_PI * hz * double(i) / kRate));
  return out;
}

// Runs the limiter the way the mixer does, in blocks of 256 frames.
std::vector<float> limit(MasterLimiter& limiter, std::vector<float> x) {
  for (std::size_t done = 0; done < x.size() / 2; done += 256)
    limiter.process(x.data() + 2 * done, int(std::min<std::size_t>(256, x.size() / 2 - done)));
  return x;
}

float peak(const std::vector<float>& x, std::size_t from = 0) {
  float p = 0;
  for (std::size_t i = from; i < x.size(); ++i) p = std::max(p, std::fabs(x[i]));
  return p;
}

class MasterLimiterTest : public ::testing::Test {
 protected:
  void SetUp() override { limiter.prepare(kRate); }
  MasterLimiter limiter;
};

TEST_F(MasterLimiterTest, MusicBelowMinusOneDbfsPassesBitForBit) {
  const auto half = sine(0.5, 440, 1.0);  // -6 dBFS
  EXPECT_EQ(limit(limiter, half), half);
  // Noise whose peaks reach just under the threshold, then a bass tone just under it.
  std::mt19937 rng(7);
  std::uniform_real_distribution<float> level(-0.891f, 0.891f);
  std::vector<float> noise(kRate * 2);
  for (float& v : noise) v = level(rng);
  EXPECT_EQ(limit(limiter, noise), noise);
  const auto bass = sine(0.89, 40, 1.0);
  EXPECT_EQ(limit(limiter, bass), bass);
  EXPECT_EQ(limiter.gain(), 1.0f);
}

TEST_F(MasterLimiterTest, NothingEverLeavesBeyondFullScale) {
  std::vector<float> x;
  // Silence, a step to 1e5, back to a normal tone, a full-scale tone, single-sample spikes.
  for (int i = 0; i < 1000; ++i) x.insert(x.end(), {0.0f, 0.0f});
  for (int i = 0; i < 1000; ++i) x.insert(x.end(), {1e5f, -1e5f});
  const auto tone = sine(0.5, 440, 0.2);
  x.insert(x.end(), tone.begin(), tone.end());
  const auto full = sine(1.0, 60, 0.5);
  x.insert(x.end(), full.begin(), full.end());
  std::mt19937 rng(3);
  for (int i = 0; i < 20000; ++i) {
    const float spike = rng() % 50 == 0 ? float(rng() % 100000) : 0.3f;
    x.insert(x.end(), {spike, -spike});
  }
  // Damaged input: NaN and infinities become silence, not poison for the gain.
  x.insert(x.end(),
           {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
            -std::numeric_limits<float>::infinity(), 0.5f});
  const auto out = limit(limiter, x);
  for (float v : out) {
    ASSERT_TRUE(std::isfinite(v));
    ASSERT_LE(std::fabs(v), 1.0f);
  }
  EXPECT_GT(peak(out), 0.97f);  // a step to 1e5 comes out near full scale, not muted
  EXPECT_EQ(out[out.size() - 4], 0.0f);
  EXPECT_TRUE(std::isfinite(limiter.gain()));
}

TEST_F(MasterLimiterTest, AFullScaleToneIsTurnedDownNotDistorted) {
  for (double hz : {40.0, 440.0, 5000.0}) {
    SCOPED_TRACE(hz);
    limiter.prepare(kRate);
    const auto in = sine(1.0, hz, 1.0);
    const auto out = limit(limiter, in);
    // After the first peak the gain holds still: the output is the input times a constant
    // (to -80 dB: sampled peaks differ a little from cycle to cycle).
    const std::size_t settled = kRate / 10 * 2;
    const float gain = limiter.gain();
    EXPECT_LT(gain, 1.0f);
    EXPECT_GT(gain, 0.9f);
    for (std::size_t i = settled; i < in.size(); ++i)
      ASSERT_NEAR(out[i], in[i] * gain, 1e-4) << "at sample " << i;
  }
}

TEST_F(MasterLimiterTest, TheKneeIsSmoothAndTheGainComesBack) {
  // Just over the threshold the level is barely touched: no corner at -1 dBFS.
  const auto over = limit(limiter, sine(0.9, 440, 0.2));
  EXPECT_NEAR(peak(over, over.size() / 2), 0.9f, 0.001f);
  // Louder in, louder out, but never past full scale.
  float last = 0;
  for (double level : {0.95, 1.0, 1.5, 3.0, 30.0}) {
    limiter.prepare(kRate);
    const float p = peak(limit(limiter, sine(level, 440, 0.2)));
    EXPECT_GT(p, last) << level;
    EXPECT_LT(p, 1.0f) << level;
    last = p;
  }
  // A loud burst, then music under the threshold: within a second it is bit-exact again.
  limiter.prepare(kRate);
  limit(limiter, sine(3.0, 440, 0.1));
  limit(limiter, sine(0.5, 440, 1.0));
  const auto after = sine(0.5, 440, 0.5);
  EXPECT_EQ(limit(limiter, after), after);
}

}  // namespace
