#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <string>

#include "errors.h"
#include "xzoAst.h"

namespace {

template <typename Action>
std::string message_of(Action action) {
  try {
    action();
  } catch (const Global_error& failure) {
    return failure.message;
  }
  return "no error";
}

}  // namespace

TEST(Literals, IntegerTextsReadAsTheirDecimalValue) {
  EXPECT_EQ(int_of_zoint("007"), 7);
  EXPECT_EQ(int_of_zoint("0"), 0);
  EXPECT_EQ(int_of_zoint("9223372036854775807"),
            std::numeric_limits<std::int64_t>::max());
  EXPECT_EQ(int_of_zoint("-5"), -5);
}

TEST(Literals, IntegerTextsBeyondTheRangeOrMalformedAreRefused) {
  EXPECT_EQ(message_of([] { int_of_zoint("123456789012345678901234567890"); }),
            "(int_of_zoint) \"123456789012345678901234567890\" is not a valid numerical "
            "notation");
  EXPECT_EQ(message_of([] { int_of_zoint("9223372036854775808"); }),
            "(int_of_zoint) \"9223372036854775808\" is not a valid numerical notation");
  EXPECT_EQ(message_of([] { int_of_zoint(""); }),
            "(int_of_zoint) \"\" is not a valid numerical notation");
  EXPECT_EQ(message_of([] { int_of_zoint("12a"); }),
            "(int_of_zoint) \"12a\" is not a valid numerical notation");
  EXPECT_EQ(message_of([] { int_of_zoint("1.0"); }),
            "(int_of_zoint) \"1.0\" is not a valid numerical notation");
}

TEST(Literals, IntegerValuesPrintInDecimal) {
  EXPECT_EQ(zoint_of_int(0), "0");
  EXPECT_EQ(zoint_of_int(-5), "-5");
  EXPECT_EQ(zoint_of_int(std::numeric_limits<std::int64_t>::min()),
            "-9223372036854775808");
}

TEST(Literals, RealTextsSurvivingSevenDigitsAreAccepted) {
  EXPECT_EQ(float_of_zoreal("1e-3"), 0.001);
  EXPECT_EQ(float_of_zoreal("0.1"), 0.1);
  EXPECT_EQ(float_of_zoreal("123456.7"), 123456.7);
  EXPECT_EQ(float_of_zoreal("0.3333333"), 0.3333333);
  EXPECT_EQ(float_of_zoreal("1.5E+00"), 1.5);
  EXPECT_EQ(float_of_zoreal("2."), 2.0);
  EXPECT_EQ(float_of_zoreal(".5"), 0.5);
}

TEST(Literals, RealTextsBeyondTheDoubleRangeReadAsTheStandardReaderGives) {
  EXPECT_EQ(float_of_zoreal("1e400"), std::numeric_limits<double>::infinity());
  EXPECT_EQ(float_of_zoreal("INF"), std::numeric_limits<double>::infinity());
  EXPECT_EQ(float_of_zoreal("1e-400"), 0.0);
}

TEST(Literals, RealTextsLosingDigitsShowTheUsersText) {
  EXPECT_EQ(message_of([] { float_of_zoreal("0.333333333"); }),
            "(float_of_zoreal) \"0.333333333\" is not a valid numerical notation");
  EXPECT_EQ(message_of([] { float_of_zoreal("3.1415926"); }),
            "(float_of_zoreal) \"3.1415926\" is not a valid numerical notation");
  EXPECT_EQ(message_of([] { float_of_zoreal("1234567.8"); }),
            "(float_of_zoreal) \"1234567.8\" is not a valid numerical notation");
  EXPECT_EQ(message_of([] { float_of_zoreal("NAN"); }),
            "(float_of_zoreal) \"NAN\" is not a valid numerical notation");
  EXPECT_EQ(message_of([] { float_of_zoreal("1.0x"); }),
            "(float_of_zoreal) \"1.0x\" is not a valid numerical notation");
}

TEST(Literals, ExactRealsPrintWithoutWarning) {
  testing::internal::CaptureStderr();
  EXPECT_EQ(zoreal_of_float(2.5), "2.500000E+00");
  EXPECT_EQ(zoreal_of_float(0.0), "0.000000E+00");
  EXPECT_EQ(zoreal_of_float(-0.0), "-0.000000E+00");
  EXPECT_EQ(zoreal_of_float(-2.5e-3), "-2.500000E-03");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

TEST(Literals, RealsCloseToTheirTextPrintWithAWarningLine) {
  testing::internal::CaptureStderr();
  EXPECT_EQ(zoreal_of_float(1.0 / 3.0), "3.333333E-01");
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "Warning: round error of 3.333333E-08 while converting internal value to "
            "\"3.333333E-01\"\n");
}

namespace {

std::string printf_e(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%E", value);
  return text;
}

}  // namespace

// Conversions are remembered: repeated, evicted by many others or refused,
// each must still give its own result, and each printing its own warning.
TEST(Literals, RepeatedRealConversionsGiveTheirFirstResults) {
  testing::internal::CaptureStderr();
  for (int round = 0; round < 2; ++round) {
    for (int i = 1; i <= 200; ++i) {
      EXPECT_EQ(zoreal_of_float(i * 0.25), printf_e(i * 0.25));
      EXPECT_EQ(float_of_zoreal(std::to_string(i) + ".5"), i + 0.5);
    }
    EXPECT_EQ(zoreal_of_float(1.0 / 3.0), "3.333333E-01");
    EXPECT_EQ(float_of_zoreal("0.000000000000000000001"), 1e-21);
    EXPECT_EQ(float_of_zoreal("0.0000000000000000000000001"), 1e-25);
    EXPECT_EQ(message_of([] { float_of_zoreal("0.333333333"); }),
              "(float_of_zoreal) \"0.333333333\" is not a valid numerical notation");
    EXPECT_EQ(message_of([] { zoreal_of_float(12345.678); }),
              "(zoreal_of_float) \"1.234568E+04\" is not a valid numerical notation");
  }
  const std::string warning =
      "Warning: round error of 3.333333E-08 while converting internal value to "
      "\"3.333333E-01\"\n";
  EXPECT_EQ(testing::internal::GetCapturedStderr(), warning + warning);
}

TEST(Literals, RealsFarFromTheirTextOrNotFiniteAreRefused) {
  testing::internal::CaptureStderr();
  EXPECT_EQ(message_of([] { zoreal_of_float(12345.678); }),
            "(zoreal_of_float) \"1.234568E+04\" is not a valid numerical notation");
  EXPECT_EQ(message_of([] { zoreal_of_float(std::numeric_limits<double>::infinity()); }),
            "(zoreal_of_float) \"INF\" is not a valid numerical notation");
  EXPECT_EQ(message_of([] { zoreal_of_float(-std::numeric_limits<double>::infinity()); }),
            "(zoreal_of_float) \"-INF\" is not a valid numerical notation");
  EXPECT_EQ(message_of([] { zoreal_of_float(std::nan("")); }),
            "(zoreal_of_float) \"NAN\" is not a valid numerical notation");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}
