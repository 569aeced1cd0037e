#include "playlist/BeatMatch.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using playlist::BeatGrid;
using playlist::BeatMatch;

// The tempo is matched beat for beat, at half or at twice the beat, within 8 % of the
// track's own speed, or not at all.
TEST(BeatMatch, TakesTheNearestTempoWithinEightPercent) {
  const BeatGrid at120{120, 0}, at123{123, 0}, at150{150, 0}, at70{70, 0}, at141{141, 0};
  auto m = BeatMatch::tempo(at120, 1.0, at123);
  ASSERT_TRUE(m);
  EXPECT_NEAR(m->speed, 0.97561, 1e-5);
  EXPECT_EQ(m->ratio, 1);
  // What is heard counts: the outgoing deck at 1.025 plays 123 BPM.
  EXPECT_NEAR(BeatMatch::tempo(at120, 1.025, at123)->speed, 1.0, 1e-9);
  EXPECT_FALSE(BeatMatch::tempo(at120, 1.0, at150));
  EXPECT_FALSE(BeatMatch::tempo(at150, 1.0, at120));
  m = BeatMatch::tempo(at70, 1.0, at141);
  ASSERT_TRUE(m);
  EXPECT_NEAR(m->speed, 140.0 / 141, 1e-9);
  EXPECT_EQ(m->ratio, 2);
  m = BeatMatch::tempo(at141, 1.0, at70);
  ASSERT_TRUE(m);
  EXPECT_NEAR(m->speed, 70.5 / 70, 1e-9);
  EXPECT_EQ(m->ratio, 0.5);
  EXPECT_TRUE(BeatMatch::tempo(at120, 1.0, BeatGrid{120 / 1.08, 0}));
  EXPECT_FALSE(BeatMatch::tempo(at120, 1.0, BeatGrid{120 / 1.081, 0}));
  EXPECT_FALSE(BeatMatch::tempo(BeatGrid{}, 1.0, at120));
  EXPECT_FALSE(BeatMatch::tempo(at120, 1.0, BeatGrid{120, -1}));
}

// The incoming track starts where its first beat at its first sound comes on a beat of the
// outgoing one, and the two grids stay together at the matched speed.
TEST(BeatMatch, StartsTheFirstBeatOnABeatAndStaysOnIt) {
  struct Case {
    BeatGrid out;
    double outSpeed, outAt;
    BeatGrid in;
    double fromMs;
  };
  const Case cases[] = {
      {{120, 250}, 1.0, 61'000, {123, 730}, 700},  // the next beat is 250 ms away
      {{120, 250}, 1.0, 60'260, {123, 20}, 0},     // too early: a beat later
      {{128, 100}, 0.97, 100'000, {123, 3'010}, 3'000},
      {{70, 0}, 1.0, 30'000, {141, 500}, 500},      // twice the beat
      {{141, 40}, 1.02, 30'000, {70, 100}, 2'000},  // half, from the beat at the sound
  };
  for (const Case& c : cases) {
    const auto m = BeatMatch::tempo(c.out, c.outSpeed, c.in);
    ASSERT_TRUE(m);
    const double start = BeatMatch::startMs(c.out, c.outSpeed, c.outAt, c.in, m->speed, c.fromMs);
    // Nothing after the first sound is lost, and what comes before it (silence, or a beat's
    // attack) is heard for less than a beat.
    EXPECT_GE(start, 0);
    EXPECT_LE(start, std::max(c.fromMs, c.in.periodMs()));
    EXPECT_LT((c.fromMs - start) / m->speed,
              c.out.periodMs() / c.outSpeed + 0.25 * c.in.periodMs() / m->speed);
    for (double clock : {0.0, 1'000.0, 15'000.0, 30'000.0}) {
      const double off = BeatMatch::offsetMs(c.out, c.outSpeed, c.outAt + clock * c.outSpeed, c.in,
                                             m->speed, start + clock * m->speed);
      EXPECT_NEAR(off, 0, 1e-6) << c.outAt << " at " << clock;
    }
  }
  // Asked for a lead, it starts at least that long before the beat, where the file has room.
  const BeatGrid out{120, 0}, in{123, 1'000};
  for (double at : {10'000.0, 10'100.0, 10'499.0}) {
    const double led = BeatMatch::startMs(out, 1, at, in, 120.0 / 123, 1'000, 400);
    EXPECT_GE((1'000 - led) / (120.0 / 123), 400 - 1e-6) << at;
    EXPECT_LT((1'000 - led) / (120.0 / 123), 900) << at;
    EXPECT_NEAR(BeatMatch::offsetMs(out, 1, at, in, 120.0 / 123, led), 0, 1e-6);
    EXPECT_EQ(BeatMatch::startMs(out, 1, at, BeatGrid{123, 300}, 120.0 / 123, 300, 400),
              BeatMatch::startMs(out, 1, at, BeatGrid{123, 300}, 120.0 / 123, 300));
  }
  // A grid beat up to a quarter beat before the first sound is its attack, and starts the
  // track; further before it, the next beat does.
  for (double from : {400.0, 450.0})
    EXPECT_EQ(BeatMatch::startMs(out, 1, 10'000, BeatGrid{123, 300}, 120.0 / 123, from) > from,
              from > 300 + 0.25 * 60'000 / 123)
        << from;
  // The offset says how late the incoming beats are, within half a beat.
  const BeatGrid g{120, 0};
  EXPECT_NEAR(BeatMatch::offsetMs(g, 1, 10'000, g, 1, 9'990), 10, 1e-9);
  EXPECT_NEAR(BeatMatch::offsetMs(g, 1, 10'000, g, 1, 10'020), -20, 1e-9);
  EXPECT_NEAR(BeatMatch::offsetMs(g, 1, 10'000, g, 1, 10'499), -499 + 500, 1e-9);
}

}  // namespace
