#include "scratch_list.h"

#include <gtest/gtest.h>

#include <vector>

TEST(ScratchList, JoinedListsKeepSourceOrder) {
  scratch_list<int> first = append(append({}, 1), 2);
  scratch_list<int> second = append(append(append({}, 3), 4), 5);
  scratch_list<int> joined = append_all(append_all(first, second), scratch_list<int>{});
  EXPECT_EQ(size_of(joined), 5u);
  std::span<const int> items = kept(append(joined, 6));
  EXPECT_EQ(std::vector<int>(items.begin(), items.end()),
            (std::vector<int>{1, 2, 3, 4, 5, 6}));
  EXPECT_TRUE(kept(scratch_list<int>{}).empty());
}

TEST(ScratchList, ConsumedCellsAreReusedByTheNextLists) {
  scratch_list<long> list = append(append(append({}, 1L), 2L), 3L);
  const void* cell_of_one = list.last->next;
  EXPECT_EQ(vector_of(list), (std::vector<long>{1, 2, 3}));
  scratch_list<long> next = append({}, 7L);
  EXPECT_EQ(static_cast<const void*>(next.last), cell_of_one);
  EXPECT_TRUE(next.has_one_item());
  EXPECT_EQ(vector_of(append_all(scratch_list<long>{}, next)), (std::vector<long>{7}));
}
