#include "lexeme.h"

#include <gtest/gtest.h>

#include "arena.h"

TEST(PositionStore, FindsThePositionOfTheVeryObjectOnly) {
  arena texts;
  position_store store(texts);
  const text_object* stored = store_add(store, {"abc", 4, 7, 9});
  lexeme found = position_of(stored);
  EXPECT_EQ(found.str, "abc");
  EXPECT_EQ(found.line, 4);
  EXPECT_EQ(found.cstart, 7);
  EXPECT_EQ(found.cend, 9);

  const text_object* copy = make_text(texts, stored->text());
  EXPECT_EQ(copy->text(), "abc");
  EXPECT_EQ(position_of(copy).str, "dummy");
  EXPECT_EQ(position_of(copy).line, 0);
}

TEST(PositionStore, KeepsTheColumnsOfAnEmptyText) {
  arena texts;
  position_store store(texts);
  lexeme found = position_of(store_add(store, {"", 2, 4, 3}));
  EXPECT_EQ(found.cstart, 4);
  EXPECT_EQ(found.cend, 3);
}
