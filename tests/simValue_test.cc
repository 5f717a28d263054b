#include "simValue.h"

#include <gtest/gtest.h>

#include <limits>
#include <optional>
#include <string>

namespace {

const scalar_type boolean{scalar_kind::boolean};
const scalar_type integer{scalar_kind::integer};
const scalar_type real{scalar_kind::real};

struct parse_case {
  const scalar_type* type;
  const char* text;
  std::optional<const char*> shown;  // the value printed back; none: refused
};

// Each input text read as a value of its type and printed back as a trace
// prints it, or refused.
const parse_case parse_cases[] = {
    {&boolean, "true", "true"},
    {&boolean, "t", "true"},
    {&boolean, "1", "true"},
    {&boolean, "false", "false"},
    {&boolean, "f", "false"},
    {&boolean, "0", "false"},
    {&boolean, "yes", std::nullopt},
    {&boolean, "True", std::nullopt},
    {&integer, "42", "42"},
    {&integer, "-17", "-17"},
    {&integer, "+5", "5"},
    {&integer, "9223372036854775807", "9223372036854775807"},
    {&integer, "-9223372036854775808", "-9223372036854775808"},
    {&integer, "9223372036854775808", std::nullopt},
    {&integer, "1.0", std::nullopt},
    {&integer, "0x10", std::nullopt},
    {&integer, "", std::nullopt},
    {&real, "0.1", "0.1"},
    {&real, "1", "1"},
    {&real, "2.5e-3", "0.0025"},
    {&real, "1E300", "1e+300"},
    {&real, "0x1p-2", "0.25"},
    {&real, ".5", "0.5"},
    {&real, "-0", "-0"},
    {&real, "1.5x", std::nullopt},
    {&real, "", std::nullopt},
};

TEST(SimValue, InputTextsReadAsTheirTypeAndPrintBackShortest) {
  for (const parse_case& test : parse_cases) {
    std::optional<value> parsed = parse_value(*test.type, test.text);
    ASSERT_EQ(parsed.has_value(), test.shown.has_value()) << test.text;
    if (parsed) {
      EXPECT_EQ(shown_value(*test.type, *parsed), *test.shown) << test.text;
    }
  }
}

TEST(SimValue, AbsentAndNilPrintAsUnderscoreAndNil) {
  EXPECT_EQ(shown_value(integer, absent_value()), "_");
  EXPECT_EQ(shown_value(real, nil_value()), "nil");
  EXPECT_EQ(shown_value(boolean, int_value(1)), "true");
}

TEST(SimValue, RealsPrintAsTheShortestTextThatReadsBack) {
  for (double x : {0.1 + 0.2, 1.0 / 3, 1e-320, 123456789.125, -2.5e17,
                   std::numeric_limits<double>::max()}) {
    std::string text = shown_value(real, real_value(x));
    std::optional<value> again = parse_value(real, text);
    ASSERT_TRUE(again.has_value()) << text;
    EXPECT_EQ(again->r, x) << text;
  }
}

TEST(SimValue, ComparisonIsExactUnlessAToleranceIsGiven) {
  EXPECT_TRUE(same_value(real, real_value(1.0), real_value(1.0), 0));
  EXPECT_FALSE(same_value(real, real_value(1.0), real_value(1.0 + 1e-15), 0));
  EXPECT_TRUE(same_value(real, real_value(1.0), real_value(1.0 + 1e-15), 1e-12));
  EXPECT_FALSE(same_value(real, real_value(1.0), real_value(1.1), 1e-12));
  EXPECT_TRUE(same_value(real, nil_value(), nil_value(), 0));
  EXPECT_FALSE(same_value(integer, nil_value(), int_value(0), 0));
  EXPECT_FALSE(same_value(integer, absent_value(), nil_value(), 0));
  EXPECT_TRUE(same_value(integer, int_value(-3), int_value(-3), 0));
  double nan = std::numeric_limits<double>::quiet_NaN();
  EXPECT_TRUE(same_value(real, real_value(nan), real_value(nan), 0));
}

}  // namespace
