#include "typingMessages.h"

namespace {

typing_report error(std::string message) {
  return {typing_report::form::error, "", std::move(message)};
}

typing_report fatal(const char* name, std::string message) {
  return {typing_report::form::fatal, name, std::move(message)};
}

}  // namespace

// These texts are byte-exact: users and their tools read them as they are,
// typos, double spaces and missing spaces included.
typing_report report_of(const Typing_failure& failure) {
  const std::string& name = failure.name;
  switch (failure.reason) {
    case typing_reason::tuple_type: return error("tuple types not supported");
    case typing_reason::recursive_type:
      return error("recursive definition of type " + name);
    case typing_reason::undeclared_type: return error("undeclared type " + name);
    case typing_reason::tuple_constant: return error("tuple const not supported");
    case typing_reason::operator_twice: return error("operator declared twice: " + name);
    case typing_reason::flow_twice: return error("flow declared twice: " + name);
    case typing_reason::undeclared_flow:
      return error("Typing.ident_type: undeclared flow: " + name);
    case typing_reason::undeclared_clock_flow:
      return error("exp_clock:  undeclared flow: " + name);
    case typing_reason::undeclared_operator: return error("undeclared operator" + name);
    case typing_reason::bad_types: return fatal("Type_error", "bad type combination");
    case typing_reason::not_same_clock:
      return fatal("Clock_error", "operands not on same clock");
    case typing_reason::when_clock_not_flow:
      return fatal("Clock_error", "snd operand of when must be a var");
    case typing_reason::current_clock:
      return error("exp_clock : unexpected case in CURRENT_n");
    case typing_reason::when_operands:
      return error("exp_clock : unexpected case in WHEN_n");
    case typing_reason::no_operand_clock: return error("exp_clock : unexpected case");
    case typing_reason::size_not_literal: return error("eval_const_int: unexpected case");
    case typing_reason::no_type_rule: break;
  }
  return {typing_report::form::internal, "Typing.exp_type", "operator not implemented"};
}
