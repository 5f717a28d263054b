// Flattening walks every right side in post-order: an operand that still has
// operands once its own operands are flattened is typed, clocked and bound to
// a fresh local, whose equation comes before the one that uses it.
#include "flat.h"

#include <charconv>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "arena.h"
#include "errors.h"
#include "stack_room.h"
#include "xzoDump.h"
#include "xzoTyping.h"

namespace {

// The new equations and locals of one node, in creation order, and the
// node's typing environment, which learns every new local at once.
class flattener {
 public:
  flattener(const package& pack, const node_def& node)
      : node_(node), environment_(get_env(pack, &node)) {}

  const node_def* flat_this_node();

 private:
  void treat_equation(const def& equation);
  const val_exp* treat_exp(const val_exp* e);
  const val_exp* treat_arg(const val_exp* operand);
  // Out of line, to keep the frames of the recursion small.
  [[gnu::noinline]] const val_exp* rebuilt(const val_exp* e, std::size_t first) const;
  [[gnu::noinline]] const val_exp* create_equation_for(const val_exp* e);
  ident fresh_var_id();

  const node_def& node_;
  std::unique_ptr<env> environment_;
  std::vector<def> new_equations_;
  std::vector<flow> new_locals_;
  std::vector<const val_exp*> flat_operands_;
  std::uint64_t counter_ = 0;
};

const node_def* flattener::flat_this_node() {
  for (const def& equation : node_.defs) treat_equation(equation);
  std::vector<flow> locals(node_.locals.begin(), node_.locals.end());
  locals.insert(locals.end(), new_locals_.begin(), new_locals_.end());
  auto* flat = run_arena().make<node_def>(node_);
  flat->defs = run_arena().copy(std::span<const def>(new_equations_));
  flat->locals = run_arena().copy(std::span<const flow>(locals));
  return flat;
}

void flattener::treat_equation(const def& equation) {
  const val_exp* right = treat_exp(equation.exp);
  new_equations_.push_back({equation.lefts, right});
}

// An expression whose operands are all names or constants is kept as it is:
// the tree is shared, and typing remembers it if it is typed. The flattened
// operands wait on one stack shared by all levels, so that a level of the
// recursion costs a small frame however deep the expression nests.
const val_exp* flattener::treat_exp(const val_exp* e) {
  std::span<const val_exp* const> ops = e->ops();
  if (ops.empty()) return e;
  stack_room::check();
  std::size_t first = flat_operands_.size();
  bool changed = false;
  for (const val_exp* operand : ops) {
    const val_exp* flat_operand = treat_arg(operand);
    changed = changed || flat_operand != operand;
    flat_operands_.push_back(flat_operand);
  }
  const val_exp* flat = changed ? rebuilt(e, first) : e;
  flat_operands_.resize(first);
  return flat;
}

const val_exp* flattener::rebuilt(const val_exp* e, std::size_t first) const {
  return make_val_exp(e->nat(), std::span(flat_operands_).subspan(first));
}

const val_exp* flattener::treat_arg(const val_exp* operand) {
  const val_exp* flat_operand = treat_exp(operand);
  if (flat_operand->ops().empty()) return flat_operand;
  return create_equation_for(flat_operand);
}

// `e`'s operands are names and constants only, so typing and clocking it
// costs one step: no subexpression is typed twice.
const val_exp* flattener::create_equation_for(const val_exp* e) {
  const type_list& types = exp_type(*environment_, e);
  flow_clock on = exp_clock(*environment_, e);
  if (types.size() != 1) throw Global_error{"tuples not yet implemented"};
  const type_eff& type = *types[0];
  ident name = fresh_var_id();
  new_locals_.push_back({name, type_exp_of_type_eff(type), on});
  declare_flow(*environment_, type, on, name);
  const left* defined = run_arena().make<left>(left{.kind = left_id, .name = name});
  new_equations_.push_back(
      {run_arena().copy(std::span<const left* const>(&defined, 1)), e});
  return ident_exp(name);
}

// "_flat_" and the counter, at least three digits, skipping every name the
// environment knows. The test is the one `ident_type` makes, without the cost
// of an exception for every free name. The name found is declared at once,
// so the counter moves past it.
ident flattener::fresh_var_id() {
  for (;; ++counter_) {
    char digits[20];
    std::size_t length =
        std::to_chars(digits, digits + sizeof digits, counter_).ptr - digits;
    std::string name = "_flat_";
    if (length < 3) name.append(3 - length, '0');
    name.append(digits, length);
    if (!declares_flow(*environment_, name)) {
      ++counter_;
      return make_text(run_arena(), name);
    }
  }
}

}  // namespace

const node_def* flat_this_node(const package& pack, const node_def& node) {
  return flattener(pack, node).flat_this_node();
}

// The given package stays as it is: the flattened node goes into a copy of
// its operator table, in the place of the node's entry.
void flat_node_in_package(std::string_view name, const package& pack, user_modes modes) {
  const oper* found = pack.opers.find(name);
  if (found == nullptr) throw Global_error{"undeclared node " + std::string(name)};
  if (found->kind != node_oper)
    throw Global_error{std::string(name) + " sould be a node name"};
  const oper* flat = run_arena().make<oper>(
      oper{node_oper, nullptr, flat_this_node(pack, *found->node)});
  package flat_pack{pack.consts, pack.types, {}, pack.items};
  for (const auto& entry : pack.opers)
    flat_pack.opers.add(entry.name, entry.value == found ? flat : entry.value);
  dump_pack(flat_pack, modes);
}
