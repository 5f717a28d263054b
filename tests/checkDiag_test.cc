#include "checkDiag.h"

#include <gtest/gtest.h>

namespace {

TEST(CheckDiag, CountLineNamesOnlyWhatWasFoundWithSingulars) {
  EXPECT_EQ(count_line(2, 1), "2 errors, 1 warning generated.");
  EXPECT_EQ(count_line(1, 0), "1 error generated.");
  EXPECT_EQ(count_line(0, 3), "3 warnings generated.");
}

TEST(CheckDiag, SortKeepsOrderFoundAtOnePlaceAndPutsPlacelessLast) {
  diagnostics found;
  found.error({}, "a", "no place");
  found.error({3, 1, 3, 1}, "b", "second at 3:1");
  found.warning({2, 5, 2, 5}, "c", "at 2:5");
  found.error({3, 1, 3, 2}, "d", "third at 3:1");
  found.warnings_as_errors();
  found.sort();
  std::string order;
  for (const diagnostic& d : found.all()) order += d.code;
  EXPECT_EQ(order, "cbda");
  EXPECT_EQ(found.count(severity::error), 4u);
  EXPECT_EQ(found.count(severity::warning), 0u);
}

}  // namespace
