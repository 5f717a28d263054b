// The types and clocks of expressions as zocheck sees them: the rules of the
// format wherever it has them, the expected rules of a synchronous dataflow
// language for the kinds it leaves without (`when` below the top, field
// access, structure values), and a diagnostic for every operand that breaks
// a rule, going on with the rest of the expression.
#pragma once

#include "checkScope.h"

/// What is known of an expression: its types (null when unknown, after an
/// error was reported in it) and its clock (when `clock_known`).
struct exp_facts {
  const type_list* types = nullptr;
  flow_clock clock = nullptr;
  bool clock_known = false;
};

class exp_checker {
 public:
  /// Checks in `environment`, which declares the scope's names; a
  /// diagnostic about an expression without place goes to `fallback`.
  exp_checker(check_scope& scope, const env& environment, text_span fallback = {})
      : scope_(scope), env_(environment), fallback_(fallback) {}

  /// The facts of the expression, after reporting each error in it.
  exp_facts check(const val_exp* e);

  /// Reports an error unless the expression has the types `wanted`, saying
  /// what `what` ("the assertion", ...) expects; unknown types pass.
  void expect_types(const val_exp* e, const exp_facts& facts,
                    std::span<const type_eff* const> wanted, const std::string& what);

  text_span place_of(const val_exp* e) const { return scope_.place_of(e, fallback_); }

  /// Where `check` adds every flow of the node that it reads.
  void record_reads(std::vector<declared_name*>& reads) { reads_ = &reads; }

 private:
  exp_facts name_facts(const val_exp* e);
  exp_facts tuple_facts(const val_exp* tuple);
  struct tuple_parts;
  struct holders_kept;
  void collect_tuple(const val_exp* tuple, tuple_parts& parts);
  const type_list* types_by_rule(const val_exp* e, std::span<const exp_facts> operands);
  const type_list* call_types(const val_exp* e, std::span<const type_eff* const> given);
  const type_list* field_types(const val_exp* e, const type_list& structure);
  const type_list* struct_types(const val_exp* e, std::span<const exp_facts> operands);
  void report_missing_fields(const val_exp* e, const struct_info& declared);
  void clock_by_rule(const val_exp* e, std::span<const exp_facts> operands,
                     exp_facts& result);
  /// Notes where the names among the operands are declared.
  void note_declarations(diagnostic& d, const val_exp* e, bool with_clock);

  check_scope& scope_;
  const env& env_;
  text_span fallback_;
  std::vector<declared_name*>* reads_ = nullptr;
  // The expressions that hold the one being checked, its operator's
  // neighbours in the source: null at the top.
  const val_exp* parent_ = nullptr;
  const val_exp* grandparent_ = nullptr;
};
