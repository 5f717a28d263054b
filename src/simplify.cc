#include "simplify.h"

#include <string>
#include <unordered_set>
#include <vector>

#include "arena.h"
#include "errors.h"
#include "simpFunc.h"
#include "simplifyInternal.h"
#include "small_buffer.h"
#include "stack_room.h"
#include "structuralIds.h"
#include "verbose.h"
#include "xzoDump.h"

namespace {

// The memos of one node: the variables and the expressions already
// simplified. Their storage serves node after node, emptied in between.
struct memo_tables {
  // By the variable's entry in the node's definitions, which stays where it
  // is while the node is simplified; null while the definition is being
  // simplified.
  flat_map<const val_exp* const*, const val_exp*> var2simp;
  // By structural number of the expression simplified.
  std::vector<const val_exp*> exp2simp;
  // By address of the name or literal simplified.
  flat_map<const val_exp*, const val_exp*> leaf2simp;
  structural_ids identity;
  // The real values made that the writer cannot print.
  std::vector<const val_exp*> unprintable;
  // Variables whose definition was simplified, numbered across every node
  // for the progress message.
  int simplified_count = 0;

  void clear() {
    var2simp.clear();
    exp2simp.clear();
    leaf2simp.clear();
    identity.clear();
    unprintable.clear();
  }
};

// The simplification of one node: its definitions and its memos.
class simplifier {
 public:
  simplifier(const node_def& node, memo_tables& memos, verbosity shown)
      : shown_(shown),
        var2def_(make_def_table(node)),
        var2simp_(memos.var2simp),
        exp2simp_(memos.exp2simp),
        leaf2simp_(memos.leaf2simp),
        identity_(memos.identity),
        unprintable_(memos.unprintable),
        simplified_count_(memos.simplified_count) {
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

  // Once the facts are recorded, the expressions met are looked up only when
  // one of the expressions already simplified has the same kind at its root:
  // any other's simplification depends on its structure alone, so equal
  // structures simplify alike without a memo, and only those that may meet
  // a fact or an earlier result are numbered.
  void facts_recorded() {
    facts_fixed_ = true;
    for (std::uint32_t id = 0; id < exp2simp_.size(); ++id)
      if (exp2simp_[id] != nullptr)
        known_kinds_ |= std::uint64_t{1}
                        << structural_ids::kind_class(identity_.example(id)->kind());
  }

  const val_exp* simplify_right_side(const def& equation) {
    if (equation.lefts.size() == 1 && equation.lefts[0]->kind == left_id)
      return simplify_var_def(equation.lefts[0]->name->text());
    return simplify_exp(equation.exp);
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
  const val_exp* simplify_var_def(std::string_view var,
                                  const val_exp* const* definition) {
    auto [known, fresh] = var2simp_.try_emplace(definition, nullptr);
    if (!fresh) {
      if (*known != nullptr) return *known;
      throw Global_error{"cyclic definition of variable " + std::string(var)};
    }
    shown_.printf(2, "\rsimp var %4d", ++simplified_count_);
    const val_exp* simplified = simplify_exp(*definition);
    *var2simp_.find(definition) = simplified;
    return simplified;
  }

  const val_exp* simplify_exp(const val_exp* e) {
    if (!facts_fixed_) return simplify_exp(e, identity_.id_of(e));
    if ((known_kinds_ >> structural_ids::kind_class(e->kind()) & 1) != 0) {
      std::uint32_t id = identity_.id_of(e);
      if (id < exp2simp_.size() && exp2simp_[id] != nullptr) return exp2simp_[id];
    }
    stack_room::check();
    return rewrite(e, no_id);
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
      case nat_rconst:
      case nat_ident: return simplify_leaf(e);
      default: return simplify_application(e, id);
    }
  }

  // A name or a literal simplifies alike wherever it stands, once its
  // variable's definition is done, and the reader shares the leaf of each
  // text: each leaf is simplified once in a node, and its value made once.
  const val_exp* simplify_leaf(const val_exp* e) {
    if (const val_exp* const* known = leaf2simp_.find(e)) return *known;
    const val_exp* simplified;
    switch (e->kind()) {
      case nat_iconst:
        simplified = make_val_exp(ival_nature(int_of_zoint(e->name()->text())), {});
        break;
      case nat_rconst:
        simplified = fold_context{identity_, unprintable_}.real_value(
            float_of_zoreal(e->name()->text()));
        break;
      default: simplified = simplify_ident(e);
    }
    leaf2simp_.try_emplace(e, simplified);
    return simplified;
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
    auto simplify_operand = [&](std::size_t i) {
      return id == no_id ? simplify_exp(ops[i])
                         : simplify_exp(ops[i], identity_.operand_ids(id)[i]);
    };
    small_buffer<const val_exp*> simplified(ops.size());
    bool unchanged = true;
    for (std::size_t i = 0; i < ops.size(); ++i) {
      simplified[i] = simplify_operand(i);
      unchanged = unchanged && prints_as(simplified[i], ops[i]);
      // A conditional whose condition is a constant is its kept branch, as
      // its rule would give; the other branch is never evaluated, so it is
      // not simplified either, and none of its failures (a zero divisor, an
      // `int`, a cycle) is raised.
      if (i == 0 && e->kind() == nat_if) {
        if (simplified[0]->kind() == nat_true) return simplify_operand(1);
        if (simplified[0]->kind() == nat_false) return simplify_operand(2);
      }
    }
    if (simp_rule rule = simp_table(e->kind()))
      return rule(simplified.all(), fold_context{identity_, unprintable_, e});
    return unchanged ? e : make_val_exp(e->nat(), simplified.all());
  }

  void add_exp2simp(const val_exp* key, const val_exp* simplified) {
    record(identity_.id_of(key), simplified);
  }

  void record(std::uint32_t id, const val_exp* simplified) {
    if (id >= exp2simp_.size()) exp2simp_.resize(identity_.count(), nullptr);
    exp2simp_[id] = simplified;
  }

  // The number of an expression simplified without being numbered.
  static constexpr std::uint32_t no_id = ~std::uint32_t{0};

  verbosity shown_;  // -vv counts the variables simplified
  def_table var2def_;
  bool facts_fixed_ = false;
  std::uint64_t known_kinds_ = 0;  // bit k: a simplified expression of kind class k
  static_assert(nat_struct < 64, "every kind has its bit");
  flat_map<const val_exp* const*, const val_exp*>& var2simp_;
  std::vector<const val_exp*>& exp2simp_;
  flat_map<const val_exp*, const val_exp*>& leaf2simp_;
  structural_ids& identity_;
  std::vector<const val_exp*>& unprintable_;
  int& simplified_count_;
};

}  // namespace

namespace {

// A right side that the simplification changed, and its equation's position.
struct rewritten_def {
  std::size_t position;
  const val_exp* exp;
};

// Fails as the writer would on the first real value of the equations that it
// cannot print, so that -simp fails before printing anything. Only the values
// the rules made unprintable are looked for, each shared tree walked once;
// they lie in the right sides that changed.
void check_printable(std::span<const rewritten_def> changes,
                     std::span<const val_exp* const> suspects) {
  if (suspects.empty()) return;
  std::unordered_set<const val_exp*> wanted(suspects.begin(), suspects.end());
  std::unordered_set<const val_exp*> seen;
  std::vector<const val_exp*> pending;
  for (const rewritten_def& change : changes) pending.push_back(change.exp);
  while (!pending.empty()) {
    const val_exp* e = pending.back();
    pending.pop_back();
    if (!seen.insert(e).second) continue;
    if (wanted.count(e) != 0) zoreal_of_float(e->rval());
    pending.insert(pending.end(), e->ops().begin(), e->ops().end());
  }
}

// What the simplification of the nodes of one package shares: the memos and
// the list of changes, whose storage serves node after node.
struct package_simplification {
  memo_tables memos;
  std::vector<rewritten_def> changes;
};

// The node's right sides that the simplification changed, in the order of
// the equations, in the run's arena: most right sides print as they were
// read, and only the others are kept until the package is printed.
std::span<const rewritten_def> simplify_defs(const node_def& node,
                                             package_simplification& run,
                                             verbosity shown) {
  std::vector<rewritten_def>& changes = run.changes;
  changes.clear();
  simplifier context(node, run.memos, shown);
  for (const val_exp* assertion : node.asserts) context.treat_assert(assertion);
  context.facts_recorded();
  for (std::size_t i = 0; i < node.defs.size(); ++i) {
    const val_exp* simplified = context.simplify_right_side(node.defs[i]);
    if (simplified != node.defs[i].exp) changes.push_back({i, simplified});
  }
  check_printable(changes, run.memos.unprintable);
  return run_arena().copy(std::span<const rewritten_def>(changes));
}

// The node with the changed right sides in place of those read, its
// equations in `defs`.
node_def rewritten(const node_def& node, std::span<const rewritten_def> changes,
                   std::vector<def>& defs) {
  defs.assign(node.defs.begin(), node.defs.end());
  for (const rewritten_def& change : changes) defs[change.position].exp = change.exp;
  node_def simplified = node;
  simplified.defs = defs;
  return simplified;
}

}  // namespace

const node_def* simplify_node(const node_def& node) {
  package_simplification run;
  std::vector<def> defs;
  node_def simplified = rewritten(node, simplify_defs(node, run, {}), defs);
  simplified.defs = run_arena().copy(simplified.defs);
  return run_arena().make<node_def>(simplified);
}

void simplify_package(const package& pack, user_modes modes, verbosity shown) {
  package_simplification run;
  flat_map<const node_def*, std::span<const rewritten_def>> changes;
  for (const auto& [name, op] : pack.opers)
    if (op->kind == node_oper)
      changes.try_emplace(op->node, simplify_defs(*op->node, run, shown));
  std::vector<def> defs;  // the equations of the node being printed
  node_def printed;
  dump_pack(pack, modes, [&](const node_def& node) -> const node_def& {
    printed = rewritten(node, *changes.find(&node), defs);
    return printed;
  });
}
