// The equaliser band, the chorus and the varispeed converter on their own, block by block as
// the mixer runs them.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <random>
#include <vector>

#include "media/AudioFixtures.h"
#include "platform/sound/Chorus.h"
#include "platform/sound/ParametricEq.h"
#include "platform/sound/SincResampler.h"

using sound::Chorus;
using sound::ParametricEq;
using sound::SincResampler;

namespace {

constexpr int kRate = 44100;
constexpr int kBlock = 256;

// A stereo sine, computed block by block so any length can be streamed.
class Tone {
 public:
  Tone(double amplitude, double hz) : m_amplitude(amplitude), m_step(2 * M_PI * hz / kRate) {}
  void fill(float* x, int frames) {
    for (int i = 0; i < frames; ++i, m_phase += m_step)
      x[2 * i] = x[2 * i + 1] = float(m_amplitude * std::sin(m_phase));
  }

 private:
  double m_amplitude, m_step, m_phase = 0;
};

// Largest sample and largest step between neighbouring samples of the left channel.
struct Extremes {
  float peak = 0, jump = 0, last = 0;
  bool finite = true;
  void add(const float* x, int frames) {
    for (int i = 0; i < frames; ++i) {
      const float v = x[2 * i];
      finite = finite && std::isfinite(v);
      peak = std::max(peak, std::fabs(v));
      jump = std::max(jump, std::fabs(v - last));
      last = v;
    }
  }
};

// Centres from 0 Hz to past the output's Nyquist frequency.
const std::vector<float> kCentres = {0,     20,    31,    63,    80,   125,  250,
                                     500,   1000,  2000,  4000,  6000, 8000, 16000,
                                     20000, 21609, 21700, 22000, 22050};

TEST(EqualiserBand, DraggedThroughEveryGainAndCentreItNeverClicksOrBlowsUp) {
  // A 200 Hz tone at -12 dBFS moves at most 0.0071 per sample; with +6 dB of boost, 0.0143.
  // A click (a jump of the filter's state or gain) shows as a step many times that.
  for (float bandwidth : {0.2f, 1.0f, 5.0f}) {
    SCOPED_TRACE(bandwidth);
    ParametricEq eq;
    eq.setParameter(ParametricEq::Bandwidth, bandwidth);
    eq.prepare(kRate);
    Tone tone(0.25, 200);
    Extremes seen;
    std::vector<float> x(kBlock * 2);
    // Every centre with every gain 0.0, 0.1 ... 2.0, one setting per block: a fast drag.
    for (float centre : kCentres)
      for (int level = 0; level <= 20; ++level) {
        eq.setParameter(ParametricEq::Center, centre);
        eq.setParameter(ParametricEq::Gain, float(2.0 - level / 10.0));
        tone.fill(x.data(), kBlock);
        eq.process(x.data(), kBlock);
        seen.add(x.data(), kBlock);
      }
    EXPECT_TRUE(seen.finite);
    EXPECT_LT(seen.peak, 0.75f);
    EXPECT_LT(seen.jump, 0.03f);
  }
}

TEST(EqualiserBand, RandomJumpsOnNoiseStayStable) {
  ParametricEq eq;
  eq.prepare(kRate);
  std::mt19937 rng(11);
  std::uniform_real_distribution<float> noise(-0.25f, 0.25f);
  Extremes seen;
  std::vector<float> x(kBlock * 2);
  for (int block = 0; block < 2000; ++block) {
    eq.setParameter(ParametricEq::Center, kCentres[rng() % kCentres.size()]);
    eq.setParameter(ParametricEq::Gain, float(rng() % 21) / 10.0f);
    eq.setParameter(ParametricEq::Bandwidth, 0.2f + float(rng() % 49) / 10.0f);
    for (float& v : x) v = noise(rng);
    eq.process(x.data(), kBlock);
    seen.add(x.data(), kBlock);
  }
  EXPECT_TRUE(seen.finite);
  EXPECT_LT(seen.peak, 2.0f);  // at most +6 dB on noise of 0.25, with room for ringing
}

double gainAt(ParametricEq& eq, double hz) {
  Tone tone(0.25, hz);
  std::vector<float> x(kBlock * 2), tail;
  for (int block = 0; block < 200; ++block) {
    tone.fill(x.data(), kBlock);
    eq.process(x.data(), kBlock);
    if (block >= 100) tail.insert(tail.end(), x.begin(), x.end());
  }
  return fixtures::magnitudeAt(tail, kRate, hz) / 0.25;
}

TEST(EqualiserBand, GainZeroIsADeepCutAndTwoIsSixDecibels) {
  ParametricEq eq;
  eq.setParameter(ParametricEq::Center, 1000.0f);
  eq.setParameter(ParametricEq::Gain, 0.0f);
  eq.prepare(kRate);
  EXPECT_LT(20 * std::log10(gainAt(eq, 1000)), -40.0);
  EXPECT_NEAR(20 * std::log10(gainAt(eq, 100)), 0.0, 1.0);  // far from the band: untouched
  eq.setParameter(ParametricEq::Gain, 2.0f);
  EXPECT_NEAR(20 * std::log10(gainAt(eq, 1000)), 6.02, 0.1);
}

TEST(EqualiserBand, UnityZeroHertzAndPastNyquistPassBitForBitOnceSettled) {
  struct Case {
    float centre, gain;
  };
  for (Case c : {Case{1000, 1.0f}, Case{0, 2.0f}, Case{22000, 0.0f}, Case{21700, 2.0f}}) {
    SCOPED_TRACE(c.centre);
    ParametricEq eq;
    eq.setParameter(ParametricEq::Center, 1000.0f);
    eq.setParameter(ParametricEq::Gain, 2.0f);
    eq.prepare(kRate);
    Tone tone(0.25, 1000);
    std::vector<float> x(kBlock * 2);
    for (int block = 0; block < 20; ++block) eq.process(x.data(), kBlock);
    eq.setParameter(ParametricEq::Center, c.centre);
    eq.setParameter(ParametricEq::Gain, c.gain);
    for (int block = 0; block < 40; ++block) {  // about 0.2 s: the glide has settled
      tone.fill(x.data(), kBlock);
      eq.process(x.data(), kBlock);
    }
    tone.fill(x.data(), kBlock);
    const std::vector<float> in = x;
    eq.process(x.data(), kBlock);
    EXPECT_EQ(x, in);
  }
}

// The band's filter as a plain loop, one channel after the other: what the band ran before
// its channels and neighbouring bands shared registers, and what they must match bit for bit.
template <bool Ramp>
void plainFilter(ParametricEq::History& h, ParametricEq::Coefficients& c,
                 const ParametricEq::Coefficients& step, float* x, int frames) {
  for (int i = 0; i < frames; ++i) {
    if constexpr (Ramp) {
      c.b0 += step.b0, c.b1 += step.b1, c.b2 += step.b2, c.a1 += step.a1, c.a2 += step.a2;
    }
    for (int ch = 0; ch < 2; ++ch) {
      const double in = x[2 * i + ch];
      const double p = c.b0 * in + c.b1 * h.x1[ch] + c.b2 * h.x2[ch] - c.a2 * h.y2[ch];
      const double out = p - c.a1 * h.y1[ch];
      h.x2[ch] = h.x1[ch], h.x1[ch] = in, h.y2[ch] = h.y1[ch], h.y1[ch] = out;
      x[2 * i + ch] = float(out);
    }
  }
}

TEST(EqualiserBand, RunsBitForBitAsThePlainLoopAloneAndBesideOtherBands) {
  std::mt19937 rng(5);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  auto biquad = [&] {  // stable: both poles inside the unit circle
    const double r = 0.5 + 0.499 * unit(rng), z = 1.5 * unit(rng), g = 0.2 + unit(rng);
    const double p = M_PI * unit(rng), q = M_PI * unit(rng);
    return ParametricEq::Coefficients{g, -2 * g * z * std::cos(q), g * z * z, -2 * r * std::cos(p),
                                      r * r};
  };
  std::vector<float> a(64 * 2), b(64 * 2);
  for (int round = 0; round < 40; ++round) {
    ParametricEq::History ha, hb;
    ParametricEq::Coefficients ca = biquad(), cb = ca, step = biquad();
    for (double* v : {&step.b0, &step.b1, &step.b2, &step.a1, &step.a2}) *v *= 1e-5;
    for (int block = 0; block < 4; ++block) {
      for (float& v : a) v = float(unit(rng) * 2 - 1);
      b = a;
      const int frames = 1 + round % 64;
      if (round % 2) {
        ParametricEq::filter<true>(ha, ca, step, a.data(), frames);
        plainFilter<true>(hb, cb, step, b.data(), frames);
      } else {
        ParametricEq::filter<false>(ha, ca, step, a.data(), frames);
        plainFilter<false>(hb, cb, step, b.data(), frames);
      }
      ASSERT_EQ(a, b) << round;
      ASSERT_EQ(std::memcmp(&ha, &hb, sizeof ha), 0);
      ASSERT_EQ(std::memcmp(&ca, &cb, sizeof ca), 0);
    }
  }

  // Fifteen bands run together, and the same bands each on its own in turn, while the
  // settings move: the two outputs are the same to the bit.
  std::vector<std::unique_ptr<ParametricEq>> together, alone;
  std::vector<ParametricEq*> bands;
  for (int i = 0; i < 15; ++i) {
    for (auto* set : {&together, &alone}) {
      set->push_back(std::make_unique<ParametricEq>());
      set->back()->prepare(kRate);
    }
    bands.push_back(together.back().get());
  }
  std::vector<float> x(kBlock * 2), y;
  for (int block = 0; block < 120; ++block) {
    if (block % 20 == 0)
      for (int i = 0; i < 15; ++i)
        for (auto* set : {&together, &alone}) {
          (*set)[std::size_t(i)]->setParameter(ParametricEq::Center, float(40 << (i % 9)));
          (*set)[std::size_t(i)]->setParameter(
              ParametricEq::Gain, (block / 20 + i) % 3 == 0 ? 1.0f : 0.3f + 0.1f * float(i));
        }
    const int frames = 1 + (block * 97) % kBlock;
    for (int i = 0; i < frames * 2; ++i) x[std::size_t(i)] = float(unit(rng) - 0.5);
    y = x;
    ParametricEq::processBands(bands.data(), 15, x.data(), frames);
    for (auto& band : alone) band->process(y.data(), frames);
    ASSERT_EQ(x, y) << block;
  }
}

// Bands that have settled run in wide passes, several bands to a pass, with fused
// multiply-adds: chains of 1 to 15 of them, over blocks of any length, give what the plain
// loop gives with the band's coefficients, to well within -120 dB.
TEST(EqualiserBand, SettledBandsInAChainGiveWhatThePlainLoopGives) {
  std::mt19937 rng(9);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  for (const int count : {1, 2, 7, 15}) {
    std::vector<std::unique_ptr<ParametricEq>> units;
    std::vector<ParametricEq*> bands;
    std::vector<ParametricEq::Coefficients> coeffs;
    for (int i = 0; i < count; ++i) {
      const double centre = 32.0 * std::pow(2.0, 0.65 * i), width = 0.5 + 0.2 * (i % 4);
      const double gain = i % 2 ? 1.3 + 0.1 * i : 0.8 - 0.04 * i;
      units.push_back(std::make_unique<ParametricEq>());
      units.back()->setParameter(ParametricEq::Center, float(centre));
      units.back()->setParameter(ParametricEq::Bandwidth, float(width));
      units.back()->setParameter(ParametricEq::Gain, float(gain));
      units.back()->prepare(kRate);
      bands.push_back(units.back().get());
      const double g = std::tan(M_PI * double(float(centre)) / kRate);
      const double k = 2.0 * std::sinh(std::log(2.0) / 2.0 * double(float(width)));
      const double kg = k * double(float(gain)) * g, a0 = 1.0 + k * g + g * g;
      coeffs.push_back({(1.0 + kg + g * g) / a0, 2.0 * (g * g - 1.0) / a0, (1.0 - kg + g * g) / a0,
                        2.0 * (g * g - 1.0) / a0, (1.0 - k * g + g * g) / a0});
    }
    std::vector<ParametricEq::History> plain(std::size_t(count), ParametricEq::History{});
    std::vector<float> x(kBlock * 2), y;
    for (int block = 0; block < 30; ++block) {
      const int frames = 1 + (block * 37) % kBlock;
      for (int i = 0; i < frames * 2; ++i) x[std::size_t(i)] = float(unit(rng) - 0.5);
      y = x;
      ParametricEq::processBands(bands.data(), count, x.data(), frames);
      for (int b = 0; b < count; ++b)
        plainFilter<false>(plain[std::size_t(b)], coeffs[std::size_t(b)], coeffs[0], y.data(),
                           frames);
      for (int i = 0; i < frames * 2; ++i)
        ASSERT_NEAR(x[std::size_t(i)], y[std::size_t(i)], 1e-6)
            << count << " " << block << " " << i;
    }
  }
}

// The chorus worked out frame by frame the plain way (after its taps are in): the delays
// from the sine itself, each tap read between two frames of the line.
TEST(ChorusUnit, GivesWhatThePlainFrameByFrameChorusGives) {
  Chorus chorus;
  chorus.setParameter(Chorus::Depth, 0.5f);
  chorus.setParameter(Chorus::RateHz, 3.0f);
  chorus.setParameter(Chorus::Wet2, 0.3f);
  chorus.prepare(kRate);
  std::vector<float> line[2] = {std::vector<float>(65536), std::vector<float>(65536)};
  const double base = 40 * 0.001 * kRate, depth = base * 0.5, step = 2 * M_PI * 3.0 / kRate;
  // Each side's weights scaled to sum to 1.
  const float dryL = 0.5f / 1.5f, wetL = 0.5f / 1.5f, dryR = 0.5f / 1.3f, wet2 = 0.3f / 1.3f,
              wet3R = 0.5f / 1.3f;
  auto tap = [&](int ch, std::int64_t n, double delay) {
    const double pos = double(n % 65536 + 65536) - delay;
    const auto whole = std::int64_t(pos);
    const float a = line[ch][std::size_t(whole % 65536)],
                b = line[ch][std::size_t((whole + 1) % 65536)];
    return a + (b - a) * float(pos - double(whole));
  };
  std::mt19937 rng(3);
  std::uniform_real_distribution<float> noise(-1.0f, 1.0f);
  std::vector<float> x(kBlock * 2, 0.0f);
  float worst = 0;
  for (std::int64_t n = 0, block = 0; block < 400; ++block) {
    const int frames = 1 + int(rng() % kBlock);
    const bool heard = block >= 40;  // silence until the taps are in
    for (int i = 0; i < frames * 2; ++i) x[std::size_t(i)] = heard ? noise(rng) : 0.0f;
    std::vector<float> want(x.begin(), x.begin() + frames * 2);
    for (int i = 0; i < frames; ++i, ++n) {
      const double s = std::sin(step * double(n)), c = std::cos(step * double(n));
      const double k = std::sqrt(3.0) / 2, d3 = base + depth * (-0.5 * s - k * c);
      for (int ch = 0; ch < 2; ++ch)
        line[ch][std::size_t(n % 65536)] = want[std::size_t(2 * i + ch)];
      want[std::size_t(2 * i)] = dryL * want[std::size_t(2 * i)] +
                                 wetL * tap(0, n, base + depth * s) + wetL * tap(0, n, d3);
      want[std::size_t(2 * i + 1)] = dryR * want[std::size_t(2 * i + 1)] +
                                     wet2 * tap(1, n, base + depth * (-0.5 * s + k * c)) +
                                     wet3R * tap(1, n, d3);
    }
    chorus.process(x.data(), frames);
    for (int i = 0; i < frames * 2; ++i)
      worst = std::max(worst, std::fabs(x[std::size_t(i)] - want[std::size_t(i)]));
  }
  EXPECT_LT(worst, 1e-6f);  // -120 dB of full scale
}

TEST(ChorusUnit, NeverPeaksAboveItsInputYetChangesIt) {
  Chorus chorus;
  chorus.prepare(kRate);
  std::mt19937 rng(5);
  std::uniform_real_distribution<float> noise(-1.0f, 1.0f);
  for (int signal = 0; signal < 2; ++signal) {
    SCOPED_TRACE(signal ? "full-scale noise" : "full-scale tone");
    Tone tone(1.0, 440);
    std::vector<float> x(kBlock * 2);
    float inPeak = 0, outPeak = 0;
    double diff = 0, energy = 0;
    for (int block = 0; block < 400; ++block) {
      if (signal)
        for (float& v : x) v = noise(rng);
      else
        tone.fill(x.data(), kBlock);
      const std::vector<float> in = x;
      chorus.process(x.data(), kBlock);
      for (std::size_t i = 0; i < x.size(); ++i) {
        inPeak = std::max(inPeak, std::fabs(in[i]));
        outPeak = std::max(outPeak, std::fabs(x[i]));
        diff += double(x[i] - in[i]) * (x[i] - in[i]);
        energy += double(in[i]) * in[i];
      }
    }
    EXPECT_LE(outPeak, inPeak + 1e-6f);
    EXPECT_GT(std::sqrt(diff / energy), 0.1);  // clearly audible, not a rounding difference
  }
}

// A stereo tone handed to the converter in odd-sized pieces (the right channel at half the
// left's level), read back at a fixed step (input frames per output frame).
struct Converted {
  std::vector<float> in, out;
  std::size_t at = 0;
  double end = 0;  // the converter's input position at the end
  static long pull(void* self, float** data) {
    auto* c = static_cast<Converted*>(self);
    const std::size_t take = std::min<std::size_t>(777, c->in.size() / 2 - c->at);
    *data = c->in.data() + c->at * 2;
    c->at += take;
    return long(take);
  }
  Converted(double hz, double step, int frames) : in(std::size_t(frames) * 2) {
    for (int i = 0; i < frames; ++i) {
      in[std::size_t(2 * i)] = float(0.9 * std::sin(2 * M_PI * hz / kRate * i));
      in[std::size_t(2 * i + 1)] = 0.5f * in[std::size_t(2 * i)];
    }
    SincResampler converter(&Converted::pull, this);
    std::vector<float> block(kBlock * 2);
    for (long got; (got = converter.read(1.0 / step, kBlock, block.data())) > 0;)
      out.insert(out.end(), block.begin(), block.begin() + got * 2);
    end = converter.position();
  }
  // What is left of one channel, away from both ends, once the tone at `hz` (moved by the
  // step) is taken out, in dB of that tone: the tone fitted, or exactly where and as loud as
  // the input put it; or the channel's level, when nothing should be left.
  enum Take { Fit, Exact, Nothing };
  double residualDb(int channel, double hz, double step, Take take = Fit) const {
    const double w = 2 * M_PI * hz * step / kRate;
    const std::size_t from = 200, to = out.size() / 2 - 200;
    double ss = 0, sc = 0, cc = 0, xs = 0, xc = 0, xx = 0;
    for (std::size_t k = from; k < to; ++k) {
      const double s = std::sin(w * double(k)), c = std::cos(w * double(k));
      const double x = out[2 * k + std::size_t(channel)];
      ss += s * s, sc += s * c, cc += c * c, xs += x * s, xc += x * c, xx += x * x;
    }
    const double det = ss * cc - sc * sc, a = (xs * cc - xc * sc) / det,
                 b = (xc * ss - xs * sc) / det;
    const double tone = (a * a * ss + 2 * a * b * sc + b * b * cc);
    const double level = channel ? 0.45 : 0.9;
    double left = take == Fit ? xx - tone : xx;
    if (take == Exact) {
      left = 0;
      for (std::size_t k = from; k < to; ++k) {
        const double e = out[2 * k + std::size_t(channel)] - level * std::sin(w * double(k));
        left += e * e;
      }
    }
    return 10 * std::log10(std::max(left, 1e-30) / (double(to - from) * level * level / 2));
  }
};

// The converter keeps a tone clean at the steps a deck plays at and well beyond (what is
// left besides the tone stays below -90 dB, a treble tone's below -80 dB), in time with
// its input and each channel its own, removes a tone above the new Nyquist frequency instead of
// folding it down, and outputs exactly the input's length over the step, ending where the input
// does.
TEST(VarispeedConverter, KeepsTonesCleanRemovesWhatWouldFoldAndTracksItsPosition) {
  for (double step : {1.06, 0.97, 1.5, 0.6, 1.0}) {
    SCOPED_TRACE("step " + std::to_string(step));
    const Converted low(1000, step, 30000);
    EXPECT_LT(low.residualDb(0, 1000, step), -90);
    EXPECT_LT(low.residualDb(1, 1000, step, Converted::Exact), -90);
    const Converted high(12000, step, 30000);
    EXPECT_LT(high.residualDb(0, 12000, step), -80);
    EXPECT_NEAR(double(low.out.size() / 2), std::ceil(30000 / step), 1.0);
    EXPECT_NEAR(low.end, 30000.0, step + 1e-6);
  }
  const Converted folded(15000, 2.0, 30000);  // 30 kHz at the new rate: nothing to keep
  EXPECT_LT(folded.residualDb(0, 15000, 2.0, Converted::Nothing), -90);
  const Converted kept(8000, 2.0, 30000);
  EXPECT_LT(kept.residualDb(0, 8000, 2.0), -85);
}

}  // namespace
