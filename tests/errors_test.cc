#include "errors.h"

#include <gtest/gtest.h>

#include "errorPrint.h"

TEST(Diagnostics, CompileErrorNamesTheTokenAndItsColumns) {
  EXPECT_EQ(compile_error_string({"x", 3, 5, 5}, "syntax error"),
            "Error. 'x' (line 3, char 5 to 5):\n---> syntax error");
  EXPECT_EQ(lexeme_details(dummy), "'dummy' (line 0, char 0 to 0)");
}

TEST(Diagnostics, PrintersWriteExactLines) {
  testing::internal::CaptureStderr();
  print_global_error("M");
  print_internal_error("F", "M");
  print_compile_error({"k", 4, 7, 7}, "bad constant declaration, ident already declared");
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "Error. M\n"
            "Sorry, Internal Error. function F:\n---> M\n"
            "Error. 'k' (line 4, char 7 to 7):\n"
            "---> bad constant declaration, ident already declared\n");
}
