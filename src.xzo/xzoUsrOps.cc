#include "xzoUsrOps.h"

#include <array>
#include <cstdint>
#include <initializer_list>

namespace {

// An operand type list made only of basic types, at most three of them, is
// coded in base 4 with a digit per type (bool 1, int 2, real 3), so that the
// tables are plain arrays; every other list has no replacement.
constexpr unsigned no_code = 64;
constexpr unsigned bool_digit = 1, int_digit = 2, real_digit = 3;

unsigned digit_of(const type_eff& type) {
  switch (type.kind) {
    case bool_eff: return bool_digit;
    case int_eff: return int_digit;
    case real_eff: return real_digit;
    default: return 0;
  }
}

unsigned code_of(std::initializer_list<unsigned> digits) {
  unsigned code = 0, weight = 1;
  for (unsigned digit : digits) {
    code += digit * weight;
    weight *= 4;
  }
  return code;
}

// The code of the concatenated type lists of the operands, typing each one.
unsigned operand_code(const env& environment, std::span<const val_exp* const> ops) {
  unsigned code = 0, weight = 1, count = 0;
  bool basic = true;
  for (const val_exp* operand : ops) {
    for (const type_eff* type : exp_type(environment, operand)) {
      unsigned digit = digit_of(*type);
      if (digit == 0 || ++count > 3) basic = false;
      if (basic) {
        code += digit * weight;
        weight *= 4;
      }
    }
  }
  return basic ? code : no_code;
}

struct usr_entry {
  exp_kind kind;
  std::initializer_list<unsigned> operands;
  const char* name;
};

class usr_table {
 public:
  usr_table(std::initializer_list<usr_entry> entries) {
    for (const usr_entry& entry : entries)
      names_[entry.kind][code_of(entry.operands)] = entry.name;
  }
  const char* find(exp_kind kind, unsigned code) const {
    return code == no_code ? nullptr : names_[kind][code];
  }

 private:
  std::array<std::array<const char*, no_code>, nat_struct + 1> names_{};
};

constexpr unsigned B = bool_digit, I = int_digit, R = real_digit;

const usr_table usr_int_table{
    {nat_uminus, {I}, "UsrIntChs"},     {nat_eq, {I, I}, "UsrIntEq"},
    {nat_neq, {I, I}, "UsrIntNeq"},     {nat_gte, {I, I}, "UsrIntGte"},
    {nat_gt, {I, I}, "UsrIntGt"},       {nat_lte, {I, I}, "UsrIntLte"},
    {nat_lt, {I, I}, "UsrIntLt"},       {nat_div, {I, I}, "UsrIntDiv"},
    {nat_mod, {I, I}, "UsrIntMod"},     {nat_minus, {I, I}, "UsrIntMinus"},
    {nat_plus, {I, I}, "UsrIntPlus"},   {nat_slash, {I, I}, "UsrIntDiv"},
    {nat_times, {I, I}, "UsrIntTimes"}, {nat_if, {B, I, I}, "UsrIntIf"},
};

const usr_table usr_real_table{
    {nat_uminus, {R}, "UsrRealChs"},     {nat_eq, {R, R}, "UsrRealEq"},
    {nat_neq, {R, R}, "UsrRealNeq"},     {nat_gte, {R, R}, "UsrRealGte"},
    {nat_gt, {R, R}, "UsrRealGt"},       {nat_lte, {R, R}, "UsrRealLte"},
    {nat_lt, {R, R}, "UsrRealLt"},       {nat_minus, {R, R}, "UsrRealMinus"},
    {nat_plus, {R, R}, "UsrRealPlus"},   {nat_slash, {R, R}, "UsrRealDiv"},
    {nat_times, {R, R}, "UsrRealTimes"}, {nat_if, {B, R, R}, "UsrRealIf"},
};

const usr_table usr_bool_table{
    {nat_not, {B}, "UsrBoolNot"},      {nat_eq, {B, B}, "UsrBoolEq"},
    {nat_neq, {B, B}, "UsrBoolNeq"},   {nat_and, {B, B}, "UsrBoolAnd"},
    {nat_or, {B, B}, "UsrBoolOr"},     {nat_xor, {B, B}, "UsrBoolXor"},
    {nat_impl, {B, B}, "UsrBoolImpl"}, {nat_if, {B, B, B}, "UsrBoolIf"},
};

}  // namespace

const char* usr_func_of(user_modes modes, const env& environment, const val_exp* e) {
  if (!(modes.integer || modes.real || modes.boolean) || e->ops().empty()) return nullptr;
  // No table names a tuple: its operands are typed for their errors only, and
  // a tuple nested in it waits for its own turn, so that a tuple nested n deep
  // is not typed once for every level around it.
  if (e->kind() == nat_tuple) {
    for (const val_exp* operand : e->ops())
      if (operand->kind() != nat_tuple) exp_type(environment, operand);
    return nullptr;
  }
  // One typing serves the three modes: the key is the same for each.
  unsigned code = operand_code(environment, e->ops());
  const char* name = nullptr;
  if (modes.integer) name = usr_int_table.find(e->kind(), code);
  if (name == nullptr && modes.real) name = usr_real_table.find(e->kind(), code);
  if (name == nullptr && modes.boolean) name = usr_bool_table.find(e->kind(), code);
  return name;
}

std::string correct_real(std::string_view text) {
  std::string corrected(text);
  for (char& c : corrected) {
    if (c == '+')
      c = 'p';
    else if (c == '-')
      c = 'm';
    else if (c == '.')
      c = '_';
  }
  return corrected;
}
