#include "simplify.h"

#include <string>
#include <unordered_set>
#include <vector>

#include "arena.h"
#include "errors.h"
#include "simpFunc.h"
#include "small_buffer.h"
#include "stack_room.h"
#include "structuralIds.h"
#include "verbose.h"
#include "xzoDump.h"

namespace {

// Variables whose definition was simplified, numbered across every node of
// the run for the progress message.
int simplified_count = 0;

// The memos of one node: the variables and the expressions already
// simplified. Their storage serves node after node, emptied in between.
struct memo_tables {
  // By the variable's entry in the node's definitions, which stays where it
  // is while the node is simplified; null while the definition is being
  // simplified.
  flat_map<const val_exp* const*, const val_exp*> var2simp;
  // By structural number of the expression simplified.
  std::vector<const val_exp*> exp2simp;
  structural_ids identity;

  void clear() {
    var2simp.clear();
    exp2simp.clear();
    identity.clear();
  }
};

memo_tables node_memos;

}  // namespace

void reset_simplify_progress() { simplified_count = 0; }

namespace {

// The simplification of one node: its definitions and its memos.
class simplifier {
 public:
  simplifier(const node_def& node, memo_tables& memos)
      : var2def_(make_def_table(node)),
        var2simp_(memos.var2simp),
        exp2simp_(memos.exp2simp),
        identity_(memos.identity) {
    memos.clear();
  }

  // Facts are recorded first, in the assertions' order: a later fact on the
  // same expression replaces an earlier one.
  void treat_assert(const val_exp* a) {
    if (a->kind() == nat_not) {
      add_exp2simp(a->op(0), false_exp);
      return;
    }
    if (a->kind() == nat_eq) {
      const val_exp *x = a->op(0), *y = a->op(1);
      if (is_undefined_var(x)) {
        add_exp2simp(x, simplify_exp(y));
        return;
      }
      if (is_undefined_var(y)) {
        add_exp2simp(y, simplify_exp(x));
        return;
      }
    }
    add_exp2simp(a, true_exp);
  }

  def simplify_def(const def& equation) {
    if (equation.lefts.size() == 1 && equation.lefts[0]->kind == left_id)
      return {equation.lefts, simplify_var_def(equation.lefts[0]->name->text())};
    return {equation.lefts, simplify_exp(equation.exp)};
  }

 private:
  bool is_undefined_var(const val_exp* e) const {
    return e->kind() == nat_ident && var2def_.find(e->name()->text()) == nullptr;
  }

  // A variable met again while its own definition is being simplified stands
  // in an instantaneous cycle, which no rewriting would ever leave.
  const val_exp* simplify_var_def(std::string_view var) {
    const val_exp* const* definition = var2def_.find(var);
    if (definition == nullptr) throw Global_error{"no definition for" + std::string(var)};
    return simplify_var_def(var, definition);
  }

  // The same, for the variable's entry in the definitions.
  const val_exp* simplify_var_def(std::string_view var, const val_exp* const* definition) {
    auto [known, fresh] = var2simp_.try_emplace(definition, nullptr);
    if (!fresh) {
      if (*known != nullptr) return *known;
      throw Global_error{"cyclic definition of variable " + std::string(var)};
    }
    verbose::printf(2, "\rsimp var %4d", ++simplified_count);
    const val_exp* simplified = simplify_exp(*definition);
    *var2simp_.find(definition) = simplified;
    return simplified;
  }

  const val_exp* simplify_exp(const val_exp* e) {
    return simplify_exp(e, identity_.id_of(e));
  }

  // The operands' numbers come with their node's, so that an expression is
  // looked up by address once, when its whole tree is numbered.
  const val_exp* simplify_exp(const val_exp* e, std::uint32_t id) {
    if (id < exp2simp_.size() && exp2simp_[id] != nullptr) return exp2simp_[id];
    stack_room::check();
    const val_exp* simplified = rewrite(e, id);
    record(id, simplified);
    return simplified;
  }

  const val_exp* rewrite(const val_exp* e, std::uint32_t id) {
    switch (e->kind()) {
      case nat_pre: return e;
      case nat_iconst:
        return make_val_exp(ival_nature(int_of_zoint(e->name()->text())), {});
      case nat_rconst: return real_value(float_of_zoreal(e->name()->text()));
      case nat_ident: return simplify_ident(e);
      default: return simplify_application(e, id);
    }
  }

  // A variable is replaced only by a simplified definition without operands:
  // a constant, a value or another variable, never a whole expression.
  const val_exp* simplify_ident(const val_exp* e) {
    std::string_view var = e->name()->text();
    const val_exp* const* entry = var2def_.find(var);
    if (entry == nullptr) return e;
    const val_exp* definition = simplify_var_def(var, entry);
    return definition->ops().empty() ? definition : e;
  }

  const val_exp* simplify_application(const val_exp* e, std::uint32_t id) {
    std::span<const val_exp* const> ops = e->ops();
    small_buffer<const val_exp*> simplified(ops.size());
    bool unchanged = true;
    for (std::size_t i = 0; i < ops.size(); ++i) {
      simplified[i] = simplify_exp(ops[i], identity_.operand_ids(id)[i]);
      unchanged = unchanged && simplified[i] == ops[i];
    }
    if (simp_rule rule = simp_table(e->kind()))
      return rule(simplified.all(), fold_context{identity_, e});
    return unchanged ? e : make_val_exp(e->nat(), simplified.all());
  }

  void add_exp2simp(const val_exp* key, const val_exp* simplified) {
    record(identity_.id_of(key), simplified);
  }

  void record(std::uint32_t id, const val_exp* simplified) {
    if (id >= exp2simp_.size()) exp2simp_.resize(identity_.count(), nullptr);
    exp2simp_[id] = simplified;
  }

  def_table var2def_;
  flat_map<const val_exp* const*, const val_exp*>& var2simp_;
  std::vector<const val_exp*>& exp2simp_;
  structural_ids& identity_;
};

}  // namespace

namespace {

// Fails as the writer would on the first real value of the equations that it
// cannot print, so that -simp fails before printing anything. Only the values
// the rules made unprintable are looked for, each shared tree walked once.
void check_printable(std::span<const def> defs) {
  std::span<const val_exp* const> suspects = unprintable_reals();
  if (suspects.empty()) return;
  std::unordered_set<const val_exp*> wanted(suspects.begin(), suspects.end());
  std::unordered_set<const val_exp*> seen;
  std::vector<const val_exp*> pending;
  for (const def& equation : defs) pending.push_back(equation.exp);
  while (!pending.empty()) {
    const val_exp* e = pending.back();
    pending.pop_back();
    if (!seen.insert(e).second) continue;
    if (wanted.count(e) != 0) zoreal_of_float(e->rval());
    pending.insert(pending.end(), e->ops().begin(), e->ops().end());
  }
}

}  // namespace

const node_def* simplify_node(const node_def& node) {
  forget_unprintable_reals();
  simplifier context(node, node_memos);
  for (const val_exp* assertion : node.asserts) context.treat_assert(assertion);
  std::vector<def> defs;
  defs.reserve(node.defs.size());
  for (const def& equation : node.defs) defs.push_back(context.simplify_def(equation));
  node_def simplified = node;
  check_printable(defs);
  simplified.defs = run_arena().copy(std::span<const def>(defs));
  return run_arena().make<node_def>(simplified);
}

void simplify_package(const package& pack) {
  package simplified{pack.consts, pack.types, {}, pack.items};
  for (const auto& [name, op] : pack.opers) {
    if (op->kind == func_oper) {
      simplified.opers.add(name, op);
      continue;
    }
    const node_def* node = simplify_node(*op->node);
    simplified.opers.add(name, run_arena().make<oper>(oper{node_oper, nullptr, node}));
  }
  dump_pack(simplified);
}
