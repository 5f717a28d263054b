#include "xzoAst.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tree_builders.h"

using build::id;

TEST(NameTable, FindsEveryNameAfterGrowingAndKeepsInsertionOrder) {
  name_table<int> table;
  std::vector<int> values(1000);
  for (int n = 0; n < 1000; ++n) {
    values[n] = n;
    ASSERT_TRUE(table.add_new(id("N" + std::to_string(n)), &values[n]));
  }
  EXPECT_EQ(table.size(), 1000u);
  for (int n = 0; n < 1000; ++n)
    EXPECT_EQ(table.find("N" + std::to_string(n)), &values[n]);
  EXPECT_EQ(table.find("N1000"), nullptr);
  EXPECT_EQ(table.find("N"), nullptr);
  int expected = 0;
  for (const auto& item : table) {
    EXPECT_EQ(item.name->text(), "N" + std::to_string(expected));
    EXPECT_EQ(item.value, &values[expected++]);
  }
}

TEST(NameTable, RefusesARepeatedTextKeepingTheFirstEntry) {
  name_table<int> table;
  int first = 1, second = 2;
  EXPECT_EQ(table.find("x"), nullptr);
  EXPECT_EQ(table.find("x"), nullptr);
  EXPECT_TRUE(table.add_new(id("x"), &first));
  EXPECT_FALSE(table.add_new(id("x"), &second));
  EXPECT_NE(table.find("x"), nullptr);
  EXPECT_EQ(table.find("x"), &first);
  EXPECT_EQ(table.size(), 1u);
}
