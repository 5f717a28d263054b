// The rewrite rules of static simplification: for 23 operators, a rule that
// takes the already simplified operands of an expression and gives the
// expression replacing it. A rule folds constants, applies a fixed set of
// algebraic identities, and otherwise rebuilds the expression; it looks only
// at the operators of its operands and never simplifies what it builds.
#pragma once

#include <span>
#include <vector>

#include "structuralIds.h"
#include "xzoAst.h"

using operand_span = std::span<const val_exp* const>;

/// What a rule may ask of the simplification around it.
struct fold_context {
  /// Decides whether two operands are structurally equal.
  structural_ids& identity;
  /// The real values made that the writer cannot print, for the check that
  /// -simp makes before printing.
  std::vector<const val_exp*>& unprintable;
  /// The expression whose simplified operands the rule receives, or null.
  const val_exp* original = nullptr;

  /// The operator applied to the operands: the original itself when it is
  /// that very application, so that an unchanged expression is not copied.
  const val_exp* rebuilt(exp_kind op, operand_span ops) const;

  /// The real value as an expression, recorded in `unprintable` when the
  /// writer cannot print it.
  const val_exp* real_value(double x) const;
};

/// A rule. Fails with `Global_error` for `int`, with the "Division_by_zero"
/// `Fatal_error` for a constant zero divisor, and with the literal
/// conversion errors.
using simp_rule = const val_exp* (*)(operand_span ops, const fold_context& context);

/// The rule of the operator, or null for an operator that has none (every
/// kind with a payload among them).
simp_rule simp_table(exp_kind op);

/// Whether the simplified operand prints as the original one does: it is
/// the original, or the value of an integer literal written in its shortest
/// text. An expression whose operands all print as before is kept as read.
bool prints_as(const val_exp* simplified, const val_exp* original);
