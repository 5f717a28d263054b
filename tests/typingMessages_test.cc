#include "typingMessages.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// The report as one line: its form, its name and its message.
std::string shown(typing_reason reason, std::string name = "x") {
  typing_report report = report_of(Typing_failure{reason, std::move(name)});
  const char* forms[] = {"error", "fatal", "internal"};
  return std::string(forms[static_cast<int>(report.shown_as)]) + "|" + report.name + "|" +
         report.message;
}

}  // namespace

TEST(TypingMessages, EveryReasonHasItsExactWordsAndForm) {
  using enum typing_reason;
  EXPECT_EQ(shown(tuple_type), "error||tuple types not supported");
  EXPECT_EQ(shown(recursive_type, "T"), "error||recursive definition of type T");
  EXPECT_EQ(shown(undeclared_type, "T"), "error||undeclared type T");
  EXPECT_EQ(shown(tuple_constant), "error||tuple const not supported");
  EXPECT_EQ(shown(operator_twice, "f"), "error||operator declared twice: f");
  EXPECT_EQ(shown(flow_twice, "red"), "error||flow declared twice: red");
  EXPECT_EQ(shown(undeclared_flow), "error||Typing.ident_type: undeclared flow: x");
  EXPECT_EQ(shown(undeclared_clock_flow), "error||exp_clock:  undeclared flow: x");
  EXPECT_EQ(shown(undeclared_operator, "f"), "error||undeclared operatorf");
  EXPECT_EQ(shown(bad_types), "fatal|Type_error|bad type combination");
  EXPECT_EQ(shown(not_same_clock), "fatal|Clock_error|operands not on same clock");
  EXPECT_EQ(shown(when_clock_not_flow),
            "fatal|Clock_error|snd operand of when must be a var");
  EXPECT_EQ(shown(current_clock), "error||exp_clock : unexpected case in CURRENT_n");
  EXPECT_EQ(shown(when_operands), "error||exp_clock : unexpected case in WHEN_n");
  EXPECT_EQ(shown(no_operand_clock), "error||exp_clock : unexpected case");
  EXPECT_EQ(shown(size_not_literal), "error||eval_const_int: unexpected case");
  EXPECT_EQ(shown(no_type_rule), "internal|Typing.exp_type|operator not implemented");
}
