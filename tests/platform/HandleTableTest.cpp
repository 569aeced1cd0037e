#include "platform/sound/HandleTable.h"

#include <gtest/gtest.h>

#include <unordered_set>

using sound::HandleTable;

namespace {

TEST(HandleTable, AReusedSlotNeverRevivesAnOldHandle) {
  HandleTable<int> table(2);
  const std::uint32_t first = table.add(1);
  ASSERT_NE(first, 0u);
  ASSERT_TRUE(table.remove(first));
  // The same slot, reused more often than a 14-bit generation could count.
  std::uint32_t current = 0;
  for (int i = 0; i < 20000; ++i) {
    current = table.add(i);
    ASSERT_EQ(current & HandleTable<int>::kMaxSlots, first & HandleTable<int>::kMaxSlots);
    ASSERT_NE(current, first) << "reuse " << i;
    if (i < 19999) table.remove(current);
  }
  EXPECT_EQ(table.find(first), nullptr);
  EXPECT_FALSE(table.remove(first));
  ASSERT_NE(table.find(current), nullptr);
  EXPECT_EQ(*table.find(current), 19999);
}

TEST(HandleTable, ASlotIsRetiredBeforeItsGenerationWraps) {
  HandleTable<int> table(1);
  std::unordered_set<std::uint32_t> seen;
  std::uint32_t h = 0, first = 0;
  for (std::uint32_t i = 0; i <= HandleTable<int>::kMaxGeneration + 10; ++i) {
    h = table.add(int(i));
    ASSERT_NE(h, 0u);
    if (i == 0) first = h;
    ASSERT_TRUE(seen.insert(h).second) << "handle " << h << " given out twice";
    table.remove(h);
  }
  // The first slot has gone into retirement; the handles now come from the second.
  EXPECT_EQ(h & HandleTable<int>::kMaxSlots, 2u);
  for (std::uint32_t old : {first, h}) EXPECT_EQ(table.find(old), nullptr);
}

}  // namespace
