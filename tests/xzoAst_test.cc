#include "xzoAst.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tree_builders.h"
#include "xzoBuild.h"

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

// Nodes with and without payload keep their nature and operands apart,
// whatever the operand count.
TEST(ValExp, KeepsPayloadAndOperandsOfEveryShape) {
  const val_exp* x = ident_exp(id("x"));
  const val_exp* one = make_val_exp(ival_nature(-7), {});
  const val_exp* pair_ops[] = {x, one};
  const val_exp* sum = make_val_exp(nat_plus, pair_ops);
  const val_exp* call = make_val_exp(named_nature(nat_call, id("f")), pair_ops);
  const val_exp* no_args = make_val_exp(named_nature(nat_call, id("g")), {});
  const val_exp* elem = make_val_exp(array_elem_nature(one), {&x, 1});
  const val_exp* real = make_val_exp(rval_nature(2.5), {});
  EXPECT_EQ(x->name()->text(), "x");
  EXPECT_TRUE(x->ops().empty());
  EXPECT_EQ(one->ival(), -7);
  EXPECT_EQ(real->rval(), 2.5);
  EXPECT_EQ(true_exp->kind(), nat_true);
  EXPECT_TRUE(true_exp->ops().empty());
  for (const val_exp* two : {sum, call}) {
    ASSERT_EQ(two->ops().size(), 2u);
    EXPECT_EQ(two->op(0), x);
    EXPECT_EQ(two->op(1), one);
  }
  EXPECT_EQ(call->name()->text(), "f");
  EXPECT_EQ(no_args->name()->text(), "g");
  EXPECT_TRUE(no_args->ops().empty());
  EXPECT_EQ(elem->index(), one);
  EXPECT_EQ(elem->op(0), x);
  EXPECT_EQ(sum->nat().kind, nat_plus);
  EXPECT_EQ(sum->nat().ival, 0);
  EXPECT_EQ(one->nat().ival, -7);
  EXPECT_EQ(call->nat().name, call->name());
}

TEST(LeftList, CopiesItsLeftsAndIsEmptyByDefault) {
  EXPECT_EQ(left_list().size(), 0u);
  EXPECT_TRUE(left_list().empty());
  EXPECT_EQ(left_list().begin(), left_list().end());
  const left* items[] = {left_id_of(id("a")), left_id_of(id("b")), left_id_of(id("c"))};
  left_list copy(items);
  items[1] = items[0];
  ASSERT_EQ(copy.size(), 3u);
  EXPECT_EQ(copy[1]->name->text(), "b");
  std::string names;
  for (const left* item : copy) names += item->name->text();
  EXPECT_EQ(names, "abc");
}
