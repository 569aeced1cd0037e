#include <gtest/gtest.h>

TEST(TrackAnalyserTest, Builds) {
  SUCCEED();
}
