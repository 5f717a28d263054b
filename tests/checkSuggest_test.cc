#include "checkSuggest.h"

#include <gtest/gtest.h>

namespace {

TEST(Suggest, OneInsertionDeletionReplacementOrExchangeIsOneEdit) {
  EXPECT_TRUE(one_edit_apart("resett", "reset"));
  EXPECT_TRUE(one_edit_apart("reset", "resett"));
  EXPECT_TRUE(one_edit_apart("rezet", "reset"));
  EXPECT_TRUE(one_edit_apart("rseet", "reset"));
  EXPECT_TRUE(one_edit_apart("rese", "reset"));
  EXPECT_FALSE(one_edit_apart("reset", "reset"));
  EXPECT_FALSE(one_edit_apart("rest", "reset1"));
  EXPECT_FALSE(one_edit_apart("abcd", "badc"));
  EXPECT_FALSE(one_edit_apart("", "ab"));
  EXPECT_TRUE(one_edit_apart("", "a"));
}

}  // namespace
