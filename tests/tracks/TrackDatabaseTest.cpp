#include <gtest/gtest.h>

TEST(TrackDatabaseTest, Builds) { SUCCEED(); }
