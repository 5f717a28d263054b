#include "mainArg.h"

#include <gtest/gtest.h>

namespace {

std::optional<int> parse_arguments(std::initializer_list<const char*> arguments) {
  std::vector<const char*> argv{"za2vu"};
  argv.insert(argv.end(), arguments);
  testing::internal::CaptureStderr();
  std::optional<int> status = main_arg::parse(static_cast<int>(argv.size()), argv.data());
  testing::internal::GetCapturedStderr();
  return status;
}

}  // namespace

TEST(CommandLine, HarnessNameMustBeExactlyOneIdentifier) {
  EXPECT_EQ(parse_arguments({"-k2quelm", "_ok1"}), std::nullopt);
  EXPECT_EQ(main_arg::kind2quelm(), "_ok1");
  EXPECT_EQ(parse_arguments({"-k2quelm=Harness"}), std::nullopt);
  EXPECT_EQ(main_arg::kind2quelm(), "Harness");
  EXPECT_EQ(parse_arguments({"-k2quelm", "ab\n"}), 1);
  EXPECT_EQ(parse_arguments({"-k2quelm", "ab\ncd"}), 1);
  EXPECT_EQ(parse_arguments({"-k2quelm", ""}), 1);
  EXPECT_EQ(parse_arguments({"-k2quelm", "a b"}), 1);
}

TEST(CommandLine, LaterOptionsWin) {
  EXPECT_EQ(parse_arguments({"-flat", "first", "-flat=second"}), std::nullopt);
  EXPECT_EQ(main_arg::flat_node(), "second");
}
