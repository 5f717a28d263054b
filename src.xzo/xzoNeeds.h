// What a node's outputs need. A flow is needed when an output depends on it,
// when a property of the node reads it (the harness of -k2quelm reads the
// properties of the cleaned node), when it is a left of an equation with
// several lefts (such an equation always stays), when it is the clock of a
// needed flow, or when it is named in a needed assertion; an assertion is
// needed as soon as it names a needed flow. Cleaning keeps exactly what is
// needed, and the checker asks the same question to warn when cleaning would
// take inputs from a called node.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "flat_map.h"
#include "xzoAst.h"

/// The marking of what one node needs. One object serves node after node and
/// keeps its tables' storage from one to the next.
class need_marking {
 public:
  /// Marks what the outputs and the properties of `node` need, `definitions`
  /// being its table of equations; the answers below are about this node
  /// until the next call.
  void mark_node(const node_def& node, const def_table& definitions);

  /// Whether the flow named `name` is needed.
  bool is_used(std::string_view name) const {
    const var_state* state = vars_.find(name);
    return state != nullptr && state->used;
  }

  /// Whether the assertion at `position` in the node's list is needed.
  bool is_used_assert(std::size_t position) const { return needed_asserts_[position]; }

 private:
  static constexpr std::int32_t no_waiter = -1;

  // What the marking knows of a name.
  struct var_state {
    bool used = false;
    ident clock = nullptr;                  // of its clocked declaration
    std::int32_t first_waiter = no_waiter;  // the newest assertion waiting on it
  };

  // One assertion waiting on a name, and the next one waiting on the same
  // name.
  struct waiter {
    std::uint32_t assertion;
    std::int32_t next;
  };

  void start(const node_def& node, const def_table& definitions);
  void note_clock(const flow& declared);
  void set_used_var(std::string_view name);
  void mark_properties(const node_def& node);
  // Calls `visit` on each name the expression holds, on a work list, until
  // it gives false.
  template <typename Visit>
  void visit_names(const val_exp* root, Visit visit) {
    scan_.assign(1, root);
    while (!scan_.empty()) {
      const val_exp* e = scan_.back();
      scan_.pop_back();
      if (e->kind() != nat_ident)
        scan_.insert(scan_.end(), e->ops().begin(), e->ops().end());
      else if (!visit(e->name()->text()))
        return;
    }
  }
  void collect_names(const val_exp* property);
  void fix_assert();
  void put_assert_in_tab(std::uint32_t position);
  void treat_one_assert(std::uint32_t position);
  void mark(std::string_view name);
  void propagate();

  const def_table* definitions_ = nullptr;
  std::span<const val_exp* const> asserts_;
  flat_map<std::string_view, var_state, short_text_hash> vars_;
  flat_map<const val_exp*, bool> walked_tuples_;
  std::vector<waiter> waiters_;
  std::vector<bool> needed_asserts_;
  std::vector<const val_exp*> pending_;
  std::vector<const val_exp*> scan_;
  flat_map<std::string_view, bool, short_text_hash> property_names_;
};
