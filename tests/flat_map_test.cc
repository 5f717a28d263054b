#include "flat_map.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

TEST(FlatMap, FindsEveryKeyItHoldsAndNoOther) {
  // Aligned addresses share their low bits: the table must spread them.
  std::vector<long> cells(5000);
  flat_map<const long*, int> index;
  for (int i = 0; i < 5000; i += 2) EXPECT_TRUE(index.try_emplace(&cells[i], i).second);
  EXPECT_EQ(index.size(), 2500u);
  for (int i = 0; i < 5000; ++i) {
    const int* found = index.find(&cells[i]);
    if (i % 2 == 0) {
      ASSERT_NE(found, nullptr);
      EXPECT_EQ(*found, i);
    } else {
      EXPECT_EQ(found, nullptr);
    }
  }
}

TEST(FlatMap, KeepsTheFirstValueOfAKey) {
  flat_map<std::string_view, int, short_text_hash> names;
  auto [first, added] = names.try_emplace("x", 1);
  EXPECT_TRUE(added);
  auto [again, added_again] = names.try_emplace("x", 2);
  EXPECT_FALSE(added_again);
  EXPECT_EQ(*again, 1);
  EXPECT_EQ(*names.find("x"), 1);
  EXPECT_EQ(names.find("y"), nullptr);
}

TEST(FlatMap, IsEmptyAndUsableAfterClearingWhateverItHeld) {
  flat_map<std::string_view, int, short_text_hash> names;
  EXPECT_EQ(names.find("a"), nullptr);
  std::vector<std::string> texts;
  for (int i = 0; i < 10000; ++i) texts.push_back("n" + std::to_string(i));
  for (int round = 0; round < 3; ++round) {
    // A large round, then small ones: the small ones see none of its keys.
    std::size_t count = round == 0 ? texts.size() : 3;
    for (std::size_t i = 0; i < count; ++i) names.try_emplace(texts[i], round);
    EXPECT_EQ(names.size(), count);
    EXPECT_EQ(*names.find(texts[count - 1]), round);
    names.clear();
    EXPECT_EQ(names.size(), 0u);
    EXPECT_EQ(names.find(texts[0]), nullptr);
    EXPECT_EQ(names.find(texts[count - 1]), nullptr);
  }
}
