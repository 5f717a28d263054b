#include "scratch_list.h"

#include <gtest/gtest.h>

#include <vector>

TEST(ScratchList, JoinedListsKeepSourceOrder) {
  scratch_cells cells;
  scratch_list<int> first = append(cells, append(cells, {}, 1), 2);
  scratch_list<int> second = append(cells, append(cells, append(cells, {}, 3), 4), 5);
  scratch_list<int> joined = append_all(append_all(first, second), scratch_list<int>{});
  EXPECT_EQ(size_of(joined), 5u);
  std::span<const int> items = kept(cells, append(cells, joined, 6));
  EXPECT_EQ(std::vector<int>(items.begin(), items.end()),
            (std::vector<int>{1, 2, 3, 4, 5, 6}));
  EXPECT_TRUE(kept(cells, scratch_list<int>{}).empty());
}

// Cells given back serve the next lists of the same store, whatever their item
// type of the same size, last given back first taken; another store has none
// of them, so no cell outlives the reading that owns it.
TEST(ScratchList, ConsumedCellsAreReusedByTheNextListsOfTheirStore) {
  scratch_cells cells;
  scratch_list<long> list = append(cells, append(cells, append(cells, {}, 1L), 2L), 3L);
  const void* cell_of_one = list.last->next;
  const void* cell_of_three = list.last;
  EXPECT_EQ(vector_of(cells, list), (std::vector<long>{1, 2, 3}));
  scratch_list<long> next = append(cells, {}, 7L);
  EXPECT_EQ(static_cast<const void*>(next.last), cell_of_one);
  EXPECT_TRUE(next.has_one_item());
  EXPECT_EQ(vector_of(cells, append_all(scratch_list<long>{}, next)),
            (std::vector<long>{7}));

  scratch_list<const int*> pointers = append(cells, {}, static_cast<const int*>(nullptr));
  EXPECT_EQ(static_cast<const void*>(pointers.last), cell_of_one);
  int item = 5;
  pointers = append(cells, pointers, static_cast<const int*>(&item));
  pointers = append(cells, pointers, static_cast<const int*>(&item));
  EXPECT_EQ(static_cast<const void*>(pointers.last), cell_of_three);
  EXPECT_EQ(vector_of(cells, pointers), (std::vector<const int*>{nullptr, &item, &item}));
  EXPECT_EQ(only_item(cells, append(cells, {}, 9L)), 9L);

  scratch_cells other;
  EXPECT_NE(static_cast<const void*>(append(other, {}, 1L).last), cell_of_one);
}
