#include "simpFunc.h"

#include <array>
#include <functional>

#include "errors.h"

const val_exp* fold_context::real_value(double x) const {
  const val_exp* value = make_val_exp(rval_nature(x), {});
  if (!has_zoreal(x)) unprintable.push_back(value);
  return value;
}

namespace {

bool is(const val_exp* e, exp_kind kind) { return e->kind() == kind; }
bool both(const val_exp* a, const val_exp* b, exp_kind kind) {
  return is(a, kind) && is(b, kind);
}
bool is_int_value(const val_exp* e, std::int64_t n) {
  return is(e, nat_ival) && e->ival() == n;
}
// Either zero: -0.0 == 0.0.
bool is_real_value(const val_exp* e, double x) {
  return is(e, nat_rval) && e->rval() == x;
}

const val_exp* int_value(std::int64_t n) { return make_val_exp(ival_nature(n), {}); }

const val_exp* bool_value(bool b) { return b ? true_exp : false_exp; }

const val_exp* pair(exp_kind op, const val_exp* a, const val_exp* b) {
  const val_exp* ops[] = {a, b};
  return make_val_exp(op, ops);
}
const val_exp* negation(const val_exp* a);
const val_exp* opposite(const val_exp* a, const fold_context& context);

// Integer arithmetic wraps around in two's complement: computed on unsigned
// values, whose overflow is defined, and converted back.
std::uint64_t bits(std::int64_t n) { return static_cast<std::uint64_t>(n); }
std::int64_t wrapped(std::uint64_t n) { return static_cast<std::int64_t>(n); }
std::int64_t wrapping_negation(std::int64_t n) { return wrapped(0 - bits(n)); }

[[noreturn]] void division_failure() {
  throw Fatal_error{"Division_by_zero", "division by zero"};
}

// Division truncates toward zero; the one overflowing quotient, the smallest
// integer divided by -1, wraps around to itself.
std::int64_t quotient(std::int64_t a, std::int64_t b) {
  if (b == 0) division_failure();
  return b == -1 ? wrapping_negation(a) : a / b;
}
std::int64_t remainder(std::int64_t a, std::int64_t b) {
  if (b == 0) division_failure();
  return b == -1 ? 0 : a % b;
}

// Each rewrite gives the replacing expression, or null when none of its cases
// applies and the expression is rebuilt.
using rewrite = const val_exp* (*)(operand_span ops, const fold_context& context);

template <exp_kind op, rewrite cases>
const val_exp* rule(operand_span ops, const fold_context& context) {
  if (const val_exp* result = cases(ops, context)) return result;
  return context.rebuilt(op, ops);
}

// The operand of an operand, which may come from an expression kept as read:
// a literal there is given as its value, as every operand simplified is.
const val_exp* inner_operand(const val_exp* a) {
  const val_exp* inner = a->op(0);
  if (is(inner, nat_iconst)) return int_value(int_of_zoint(inner->name()->text()));
  return inner;
}

const val_exp* not_cases(const val_exp* a) {
  if (is(a, nat_true)) return false_exp;
  if (is(a, nat_false)) return true_exp;
  if (is(a, nat_not)) return inner_operand(a);
  return nullptr;
}

const val_exp* uminus_cases(const val_exp* a, const fold_context& context) {
  switch (a->kind()) {
    case nat_uminus: return inner_operand(a);
    case nat_iconst: return int_value(wrapping_negation(int_of_zoint(a->name()->text())));
    case nat_rconst: return context.real_value(-float_of_zoreal(a->name()->text()));
    case nat_ival: return int_value(wrapping_negation(a->ival()));
    case nat_rval: return context.real_value(-a->rval());
    default: return nullptr;
  }
}

const val_exp* fold_true(operand_span, const fold_context&) { return true_exp; }
const val_exp* fold_false(operand_span, const fold_context&) { return false_exp; }

const val_exp* fold_not(operand_span ops, const fold_context&) {
  return not_cases(ops[0]);
}

const val_exp* fold_uminus(operand_span ops, const fold_context& context) {
  return uminus_cases(ops[0], context);
}

const val_exp* fold_real_conv(operand_span ops, const fold_context& context) {
  const val_exp* a = ops[0];
  if (is(a, nat_ival)) return context.real_value(static_cast<double>(a->ival()));
  return nullptr;
}

const val_exp* fold_int_conv(operand_span, const fold_context&) {
  throw Global_error{"int of real casting forbiden"};
}

const val_exp* fold_and(operand_span ops, const fold_context& context) {
  const val_exp *a = ops[0], *b = ops[1];
  if (is(a, nat_true)) return b;
  if (is(b, nat_false)) return b;
  if (is(b, nat_true)) return a;
  if (is(a, nat_false)) return a;
  if (context.identity.same(a, b)) return a;
  return nullptr;
}

const val_exp* fold_or(operand_span ops, const fold_context& context) {
  const val_exp *a = ops[0], *b = ops[1];
  if (is(a, nat_true)) return a;
  if (is(b, nat_false)) return a;
  if (is(a, nat_false)) return b;
  if (is(b, nat_true)) return b;
  if (context.identity.same(a, b)) return a;
  return nullptr;
}

const val_exp* fold_xor(operand_span ops, const fold_context& context) {
  const val_exp *a = ops[0], *b = ops[1];
  if (is(a, nat_true)) return negation(b);
  if (is(b, nat_true)) return negation(a);
  if (is(a, nat_false)) return b;
  if (is(b, nat_false)) return a;
  if (context.identity.same(a, b)) return false_exp;
  return nullptr;
}

const val_exp* fold_impl(operand_span ops, const fold_context& context) {
  const val_exp *a = ops[0], *b = ops[1];
  if (is(a, nat_true)) return b;
  if (is(b, nat_false)) return negation(a);
  if (is(b, nat_true)) return b;
  if (is(a, nat_false)) return negation(a);
  if (context.identity.same(a, b)) return true_exp;
  return nullptr;
}

const val_exp* fold_eq(operand_span ops, const fold_context& context) {
  const val_exp *a = ops[0], *b = ops[1];
  if (is(a, nat_true)) return b;
  if (both(a, b, nat_ival)) return bool_value(a->ival() == b->ival());
  if (both(a, b, nat_rval)) return bool_value(a->rval() == b->rval());
  if (is(b, nat_true)) return a;
  if (is(a, nat_false)) return negation(b);
  if (is(b, nat_false)) return negation(a);
  if (context.identity.same(a, b)) return true_exp;
  return nullptr;
}

const val_exp* fold_neq(operand_span ops, const fold_context& context) {
  const val_exp *a = ops[0], *b = ops[1];
  if (is(a, nat_true)) return negation(b);
  if (both(a, b, nat_ival)) return bool_value(a->ival() != b->ival());
  if (both(a, b, nat_rval)) return bool_value(a->rval() != b->rval());
  if (is(b, nat_true)) return negation(a);
  if (is(a, nat_false)) return b;
  if (is(b, nat_false)) return a;
  if (context.identity.same(a, b)) return false_exp;
  return nullptr;
}

// An order comparison: evaluated on two integer or two real values; an
// operand compared with itself gives what the order gives on equal values.
template <typename order>
const val_exp* fold_order(operand_span ops, const fold_context& context) {
  const val_exp *a = ops[0], *b = ops[1];
  if (both(a, b, nat_ival)) return bool_value(order{}(a->ival(), b->ival()));
  if (both(a, b, nat_rval)) return bool_value(order{}(a->rval(), b->rval()));
  if (context.identity.same(a, b)) return bool_value(order{}(0, 0));
  return nullptr;
}

const val_exp* fold_div(operand_span ops, const fold_context& context) {
  const val_exp *a = ops[0], *b = ops[1];
  if (both(a, b, nat_ival)) return int_value(quotient(a->ival(), b->ival()));
  if (is_int_value(b, 0)) division_failure();
  if (is_int_value(b, 1)) return a;
  if (context.identity.same(a, b)) return int_value(1);
  return nullptr;
}

const val_exp* fold_mod(operand_span ops, const fold_context& context) {
  const val_exp *a = ops[0], *b = ops[1];
  if (both(a, b, nat_ival)) return int_value(remainder(a->ival(), b->ival()));
  if (is_int_value(b, 0)) division_failure();
  if (is_int_value(b, 1)) return int_value(0);
  if (context.identity.same(a, b)) return int_value(0);
  return nullptr;
}

const val_exp* fold_plus(operand_span ops, const fold_context&) {
  const val_exp *a = ops[0], *b = ops[1];
  if (both(a, b, nat_ival)) return int_value(wrapped(bits(a->ival()) + bits(b->ival())));
  if (is_int_value(b, 0)) return a;
  if (is_int_value(a, 0)) return b;
  if (is_real_value(b, 0.0)) return a;
  if (is_real_value(a, 0.0)) return b;
  return nullptr;
}

const val_exp* fold_minus(operand_span ops, const fold_context& context) {
  const val_exp *a = ops[0], *b = ops[1];
  if (both(a, b, nat_ival)) return int_value(wrapped(bits(a->ival()) - bits(b->ival())));
  if (is_int_value(b, 0)) return a;
  if (is_int_value(a, 0)) return opposite(b, context);
  if (is(b, nat_ival) && b->ival() < 0)
    return pair(nat_plus, a, int_value(wrapping_negation(b->ival())));
  if (is_real_value(b, 0.0)) return a;
  if (is_real_value(a, 0.0)) return opposite(b, context);
  if (is(b, nat_rval) && b->rval() < 0.0)
    return pair(nat_plus, a, context.real_value(-b->rval()));
  return nullptr;
}

const val_exp* fold_slash(operand_span ops, const fold_context&) {
  const val_exp *a = ops[0], *b = ops[1];
  if (both(a, b, nat_ival)) return int_value(quotient(a->ival(), b->ival()));
  if (is_real_value(b, 0.0)) division_failure();
  if (is_real_value(b, 1.0)) return a;
  if (is_int_value(b, 0)) division_failure();
  if (is_int_value(b, 1)) return a;
  return nullptr;
}

const val_exp* fold_times(operand_span ops, const fold_context&) {
  const val_exp *a = ops[0], *b = ops[1];
  if (both(a, b, nat_ival)) return int_value(wrapped(bits(a->ival()) * bits(b->ival())));
  if (is_int_value(a, 0)) return a;
  if (is_int_value(b, 0)) return b;
  if (is_int_value(b, 1)) return a;
  if (is_real_value(a, 0.0)) return a;
  if (is_int_value(a, 1)) return b;
  if (is_real_value(b, 0.0)) return b;
  if (is_real_value(b, 1.0)) return a;
  if (is_real_value(a, 1.0)) return b;
  return nullptr;
}

// A conditional with a constant branch becomes a Boolean expression, which is
// not simplified again.
const val_exp* fold_if(operand_span ops, const fold_context& context) {
  const val_exp *a = ops[0], *b = ops[1], *c = ops[2];
  if (is(a, nat_false)) return c;
  if (is(a, nat_true)) return b;
  if (is(b, nat_false) && is(c, nat_true)) return negation(a);
  if (is(b, nat_false)) return pair(nat_and, negation(a), c);
  if (is(b, nat_true) && is(c, nat_false)) return a;
  if (is(b, nat_true)) return pair(nat_or, a, c);
  if (is(c, nat_true)) return pair(nat_or, negation(a), b);
  if (is(c, nat_false)) return pair(nat_and, a, b);
  if (context.identity.same(b, c)) return b;
  return nullptr;
}

// Indexed by the kinds without payload, the only ones that can have a rule.
using rule_table = std::array<simp_rule, nat_iconst>;

consteval rule_table make_rule_table() {
  rule_table table{};
  table[nat_true] = rule<nat_true, fold_true>;
  table[nat_false] = rule<nat_false, fold_false>;
  table[nat_not] = rule<nat_not, fold_not>;
  table[nat_uminus] = rule<nat_uminus, fold_uminus>;
  table[nat_real_conv] = rule<nat_real_conv, fold_real_conv>;
  table[nat_int_conv] = rule<nat_int_conv, fold_int_conv>;
  table[nat_and] = rule<nat_and, fold_and>;
  table[nat_or] = rule<nat_or, fold_or>;
  table[nat_xor] = rule<nat_xor, fold_xor>;
  table[nat_impl] = rule<nat_impl, fold_impl>;
  table[nat_eq] = rule<nat_eq, fold_eq>;
  table[nat_neq] = rule<nat_neq, fold_neq>;
  table[nat_gte] = rule<nat_gte, fold_order<std::greater_equal<>>>;
  table[nat_gt] = rule<nat_gt, fold_order<std::greater<>>>;
  table[nat_lte] = rule<nat_lte, fold_order<std::less_equal<>>>;
  table[nat_lt] = rule<nat_lt, fold_order<std::less<>>>;
  table[nat_div] = rule<nat_div, fold_div>;
  table[nat_mod] = rule<nat_mod, fold_mod>;
  table[nat_plus] = rule<nat_plus, fold_plus>;
  table[nat_minus] = rule<nat_minus, fold_minus>;
  table[nat_slash] = rule<nat_slash, fold_slash>;
  table[nat_times] = rule<nat_times, fold_times>;
  table[nat_if] = rule<nat_if, fold_if>;
  return table;
}

constexpr rule_table rules = make_rule_table();

}  // namespace

bool prints_as(const val_exp* simplified, const val_exp* original) {
  if (simplified == original) return true;
  if (original->kind() != nat_iconst || simplified->kind() != nat_ival) return false;
  std::optional<std::int64_t> value = value_of_shortest_zoint(original->name()->text());
  return value && *value == simplified->ival();
}

const val_exp* fold_context::rebuilt(exp_kind op, operand_span ops) const {
  if (original != nullptr && original->kind() == op &&
      std::equal(ops.begin(), ops.end(), original->ops().begin(), original->ops().end(),
                 prints_as))
    return original;
  return make_val_exp(op, ops);
}

simp_rule simp_table(exp_kind op) {
  return static_cast<std::size_t>(op) < rules.size() ? rules[op] : nullptr;
}

namespace {

// The negation of an operand, folded when a rule of `not` applies.
const val_exp* negation(const val_exp* a) {
  if (const val_exp* result = not_cases(a)) return result;
  return make_val_exp(nat_not, {&a, 1});
}

// The opposite of an operand, folded when a rule of unary `-` applies.
const val_exp* opposite(const val_exp* a, const fold_context& context) {
  if (const val_exp* result = uminus_cases(a, context)) return result;
  return make_val_exp(nat_uminus, {&a, 1});
}

}  // namespace
