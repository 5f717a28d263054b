// Marking runs on a work list instead of recursing, since a chain of
// definitions may be as long as the node. The assertion fixpoint is a work
// list too: each assertion waits under the names it holds, and the first of
// them that becomes needed wakes it, so that every assertion is walked at most
// twice however long the chains through assertions are.
#include "xzoNeeds.h"

#include "xzoProperty.h"

void need_marking::mark_node(const node_def& node, const def_table& definitions) {
  start(node, definitions);
  for (const flow& output : node.outputs) set_used_var(output.name->text());
  mark_properties(node);
  for (const def& equation : node.defs)
    if (equation.lefts.size() != 1)
      for (const left* item : equation.lefts) set_used_var(item->name->text());
  fix_assert();
}

void need_marking::start(const node_def& node, const def_table& definitions) {
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

void need_marking::note_clock(const flow& declared) {
  if (declared.clock != nullptr)
    vars_.try_emplace(declared.name->text(), {false, declared.clock});
}

// Marks the variable as needed, with everything it depends on.
void need_marking::set_used_var(std::string_view name) {
  mark(name);
  propagate();
}

// Marks the flows of the node that its properties read, as the harness of
// -k2quelm reads them: parsed, so that a field, a called operator or a word
// in a comment is no flow read. A property that does not parse reads nothing,
// since no harness can be built on it. A name that is no flow of the node (a
// constant) is not marked, lest it keep the assertions that name it. The
// flows are looked through only for names not needed yet, which most
// properties, reading outputs, do not hold.
void need_marking::mark_properties(const node_def& node) {
  property_names_.clear();
  for (pragma annotation : node.pragmas)
    if (std::optional<std::string_view> text = property_text(annotation->text()))
      if (const val_exp* property = read_property(*text, annotation))
        collect_names(property);
  if (property_names_.size() == 0) return;
  auto mark_if_read = [&](const flow& declared) {
    if (property_names_.find(declared.name->text()) != nullptr)
      mark(declared.name->text());
  };
  for (const input_flow& input : node.inputs) mark_if_read(input.var);
  for (const flow& output : node.outputs) mark_if_read(output);
  for (const flow& local : node.locals) mark_if_read(local);
  propagate();
}

// Gathers the names that the property holds and that are not needed yet:
// not those its calls, fields and structure values carry.
void need_marking::collect_names(const val_exp* property) {
  visit_names(property, [&](std::string_view name) {
    if (!is_used(name)) property_names_.try_emplace(name, true);
    return true;
  });
}

// Marks what every assertion naming a needed variable needs, until no further
// assertion becomes needed.
void need_marking::fix_assert() {
  for (std::uint32_t i = 0; i < asserts_.size(); ++i) put_assert_in_tab(i);
  propagate();
}

// The assertion is needed at once when it names a needed variable; else it
// waits under each name it holds.
void need_marking::put_assert_in_tab(std::uint32_t position) {
  visit_names(asserts_[position], [&](std::string_view name) {
    var_state& state = *vars_.try_emplace(name, {}).first;
    if (state.used) {
      treat_one_assert(position);
      return false;
    }
    waiters_.push_back({position, state.first_waiter});
    state.first_waiter = static_cast<std::int32_t>(waiters_.size() - 1);
    return true;
  });
}

void need_marking::treat_one_assert(std::uint32_t position) {
  if (needed_asserts_[position]) return;
  needed_asserts_[position] = true;
  pending_.push_back(asserts_[position]);
}

// Marks the name, then its clock, and so on down the chain of clocks.
void need_marking::mark(std::string_view name) {
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

// Walks the pending expressions, marking every name they hold. The components
// of a tuple share one right side, walked once for all.
void need_marking::propagate() {
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
