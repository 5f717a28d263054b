#include "mainArg.h"

#include <gtest/gtest.h>

#include <iterator>
#include <string>

namespace {

// The settings the last arguments parsed gave.
main_arg::options settings;

std::optional<int> parse_arguments(std::initializer_list<const char*> arguments) {
  settings = {};
  std::vector<const char*> argv{"za2vu"};
  argv.insert(argv.end(), arguments);
  testing::internal::CaptureStderr();
  std::optional<int> status =
      main_arg::parse(static_cast<int>(argv.size()), argv.data(), settings);
  testing::internal::GetCapturedStderr();
  return status;
}

}  // namespace

TEST(CommandLine, HarnessNameMustBeExactlyOneIdentifier) {
  EXPECT_EQ(parse_arguments({"-k2quelm", "_ok1"}), std::nullopt);
  EXPECT_EQ(settings.kind2quelm, "_ok1");
  EXPECT_EQ(parse_arguments({"-k2quelm=Harness"}), std::nullopt);
  EXPECT_EQ(settings.kind2quelm, "Harness");
  EXPECT_EQ(parse_arguments({"-k2quelm", "ab\n"}), 1);
  EXPECT_EQ(parse_arguments({"-k2quelm", "ab\ncd"}), 1);
  EXPECT_EQ(parse_arguments({"-k2quelm", ""}), 1);
  EXPECT_EQ(parse_arguments({"-k2quelm", "a b"}), 1);
}

// A keyword as a node name would print a program that no reader accepts.
TEST(CommandLine, HarnessNameIsNoKeyword) {
  const char* keywords[] = {
      "and",   "assert", "bool", "const", "current", "div",  "else",     "enum",   "equa",
      "false", "if",     "int",  "let",   "mod",     "node", "function", "unsafe", "not",
      "or",    "nor",    "pre",  "real",  "returns", "tel",  "type",     "struct", "step",
      "then",  "true",   "var",  "when",  "xor",     "of"};
  static_assert(std::size(keywords) == 33);
  for (const char* keyword : keywords) {
    EXPECT_EQ(parse_arguments({"-k2quelm", keyword}), 1) << keyword;
    EXPECT_EQ(parse_arguments({("-k2quelm=" + std::string(keyword)).c_str()}), 1)
        << keyword;
  }
  for (const char* name : {"Node", "TEL", "nodes", "_of", "of_", "returns1", "o"}) {
    EXPECT_EQ(parse_arguments({"-k2quelm", name}), std::nullopt) << name;
    EXPECT_EQ(settings.kind2quelm, name);
  }
}

TEST(CommandLine, LaterOptionsWin) {
  EXPECT_EQ(parse_arguments({"-flat", "first", "-flat=second"}), std::nullopt);
  EXPECT_EQ(settings.flat_node, "second");
}
