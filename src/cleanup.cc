// Cleanup of nodes. A variable is needed when an output depends on it, when it
// is a left of an equation with several lefts (such an equation always stays),
// when it is the clock of a needed variable, or when it is named in a needed
// assertion; an assertion is needed as soon as it names a needed variable.
//
// Marking runs on a work list instead of recursing, since a chain of
// definitions may be as long as the node. The assertion fixpoint is a work
// list too: each assertion waits under the names it holds, and the first of
// them that becomes needed wakes it, so that every assertion is walked at most
// twice however long the chains through assertions are.
#include "cleanup.h"

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "flat_map.h"
#include "xzoDump.h"
#include "xzoTyping.h"

namespace {

bool cleanall = false;

constexpr std::int32_t no_waiter = -1;

// What the marking knows of a name.
struct var_state {
  bool used = false;
  ident clock = nullptr;                  // of its clocked declaration
  std::int32_t first_waiter = no_waiter;  // the newest assertion waiting on it
};

// One assertion waiting on a name, and the next one waiting on the same name.
struct waiter {
  std::uint32_t assertion;
  std::int32_t next;
};

// The working tables of one node. They live across nodes only to keep their
// storage; `start` empties them.
class need_marking {
 public:
  void start(const node_def& node, const def_table& definitions) {
    definitions_ = &definitions;
    asserts_ = node.asserts;
    vars_.clear();
    walked_tuples_.clear();
    waiters_.clear();
    needed_asserts_.assign(node.asserts.size(), false);
    for (const input_flow& input : node.inputs) note_clock(input.var);
    for (const flow& output : node.outputs) note_clock(output);
    for (const flow& local : node.locals) note_clock(local);
  }

  // Marks the variable as needed, with everything it depends on.
  void set_used_var(std::string_view name) {
    mark(name);
    propagate();
  }

  // Marks what every assertion naming a needed variable needs, until no
  // further assertion becomes needed.
  void fix_assert() {
    for (std::uint32_t i = 0; i < asserts_.size(); ++i) put_assert_in_tab(i);
    propagate();
  }

  bool is_used(std::string_view name) const {
    const var_state* state = vars_.find(name);
    return state != nullptr && state->used;
  }
  bool is_used_assert(std::size_t position) const { return needed_asserts_[position]; }

 private:
  void note_clock(const flow& declared) {
    if (declared.clock != nullptr)
      vars_.try_emplace(declared.name->text(), {false, declared.clock});
  }

  // The assertion is needed at once when it names a needed variable; else it
  // waits under each name it holds.
  void put_assert_in_tab(std::uint32_t position) {
    scan_.assign(1, asserts_[position]);
    while (!scan_.empty()) {
      const val_exp* e = scan_.back();
      scan_.pop_back();
      if (e->kind() != nat_ident) {
        scan_.insert(scan_.end(), e->ops().begin(), e->ops().end());
        continue;
      }
      var_state& state = *vars_.try_emplace(e->name()->text(), {}).first;
      if (state.used) {
        treat_one_assert(position);
        return;
      }
      waiters_.push_back({position, state.first_waiter});
      state.first_waiter = static_cast<std::int32_t>(waiters_.size() - 1);
    }
  }

  void treat_one_assert(std::uint32_t position) {
    if (needed_asserts_[position]) return;
    needed_asserts_[position] = true;
    pending_.push_back(asserts_[position]);
  }

  // Marks the name, then its clock, and so on down the chain of clocks.
  void mark(std::string_view name) {
    for (;;) {
      var_state& state = *vars_.try_emplace(name, {}).first;
      if (state.used) return;
      state.used = true;
      for (std::int32_t w = state.first_waiter; w != no_waiter; w = waiters_[w].next)
        treat_one_assert(waiters_[w].assertion);
      ident clock = state.clock;
      if (const val_exp* const* found = definitions_->find(name))
        pending_.push_back(*found);
      if (clock == nullptr) return;
      name = clock->text();
    }
  }

  // Walks the pending expressions, marking every name they hold. The
  // components of a tuple share one right side, walked once for all.
  void propagate() {
    while (!pending_.empty()) {
      const val_exp* e = pending_.back();
      pending_.pop_back();
      switch (e->kind()) {
        case nat_ident: mark(e->name()->text()); break;
        case nat_tuple_elem:
          if (walked_tuples_.try_emplace(e->op(0), true).second)
            pending_.push_back(e->op(0));
          break;
        default: pending_.insert(pending_.end(), e->ops().begin(), e->ops().end());
      }
    }
  }

  const def_table* definitions_ = nullptr;
  std::span<const val_exp* const> asserts_;
  flat_map<std::string_view, var_state, short_text_hash> vars_;
  flat_map<const val_exp*, bool> walked_tuples_;
  std::vector<waiter> waiters_;
  std::vector<bool> needed_asserts_;
  std::vector<const val_exp*> pending_;
  std::vector<const val_exp*> scan_;
};

need_marking& node_tables() {
  static need_marking tables;
  return tables;
}

// The items whose position passes the test, in order, in `storage`; the same
// span when all do, so that a node with nothing to erase is copied nowhere.
template <typename T, typename Test>
std::span<const T> kept(std::span<const T> items, Test keep, std::vector<T>& storage) {
  std::size_t count = 0;
  for (std::size_t i = 0; i < items.size(); ++i) count += keep(i) ? 1 : 0;
  if (count == items.size()) return items;
  storage.clear();
  storage.reserve(count);
  for (std::size_t i = 0; i < items.size(); ++i)
    if (keep(i)) storage.push_back(items[i]);
  return storage;
}

// What the cleaned node keeps of its parts when it erases some: it is
// printed at once, so one node's storage serves the next.
struct kept_parts {
  std::vector<def> defs;
  std::vector<const val_exp*> asserts;
  std::vector<flow> locals;
  std::vector<input_flow> inputs;
};

kept_parts& parts_kept() {
  static kept_parts parts;
  return parts;
}

}  // namespace

void set_cleanall(bool erase_inputs) { cleanall = erase_inputs; }

node_def clean_node(const node_def& node) {
  def_table definitions = make_def_table(node);
  need_marking& used = node_tables();
  used.start(node, definitions);
  for (const flow& output : node.outputs) used.set_used_var(output.name->text());
  for (const def& equation : node.defs)
    if (equation.lefts.size() != 1)
      for (const left* item : equation.lefts) used.set_used_var(item->name->text());
  used.fix_assert();

  kept_parts& parts = parts_kept();
  node_def cleaned = node;
  cleaned.defs = kept(
      node.defs,
      [&](std::size_t i) {
        const def& equation = node.defs[i];
        return equation.lefts.size() != 1 || used.is_used(equation.lefts[0]->name->text());
      },
      parts.defs);
  cleaned.asserts = kept(
      node.asserts, [&](std::size_t i) { return used.is_used_assert(i); }, parts.asserts);
  cleaned.locals = kept(
      node.locals, [&](std::size_t i) { return used.is_used(node.locals[i].name->text()); },
      parts.locals);
  if (cleanall)
    cleaned.inputs = kept(
        node.inputs,
        [&](std::size_t i) { return used.is_used(node.inputs[i].var.name->text()); },
        parts.inputs);
  return cleaned;
}

void cleanup_package(const package& pack) {
  // Made at the first node, so that a package without nodes prints nothing
  // and fails on nothing; shared by all nodes, like plain printing's.
  std::unique_ptr<env> package_env;
  std::unique_ptr<env> node_env;
  for (const auto& entry : pack.opers) {
    if (entry.value->kind != node_oper) continue;
    node_def cleaned = clean_node(*entry.value->node);
    if (package_env == nullptr) package_env = get_env(pack);
    renew_node_env(node_env, *package_env, cleaned);
    dump_node_def(*node_env, cleaned);
  }
}
