// Cleanup of nodes: each node keeps what its outputs need (xzoNeeds) and is
// printed as soon as it is cleaned.
#include "cleanup.h"

#include <memory>

#include "xzoDump.h"
#include "xzoTyping.h"

namespace {

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

}  // namespace

node_def node_cleaner::clean(const node_def& node) {
  def_table definitions = make_def_table(node);
  needs_.mark_node(node, definitions);
  node_def cleaned = node;
  cleaned.defs = kept(
      node.defs,
      [&](std::size_t i) {
        const def& equation = node.defs[i];
        return equation.lefts.size() != 1 ||
               needs_.is_used(equation.lefts[0]->name->text());
      },
      defs_);
  cleaned.asserts = kept(
      node.asserts, [&](std::size_t i) { return needs_.is_used_assert(i); }, asserts_);
  cleaned.locals = kept(
      node.locals,
      [&](std::size_t i) { return needs_.is_used(node.locals[i].name->text()); },
      locals_);
  if (erase_inputs_)
    cleaned.inputs = kept(
        node.inputs,
        [&](std::size_t i) { return needs_.is_used(node.inputs[i].var.name->text()); },
        inputs_);
  return cleaned;
}

void cleanup_package(const package& pack, bool erase_inputs, user_modes modes) {
  node_cleaner cleaner(erase_inputs);
  // Made at the first node, so that a package without nodes prints nothing
  // and fails on nothing; shared by all nodes, like plain printing's.
  std::unique_ptr<env> package_env;
  std::unique_ptr<env> node_env;
  for (const auto& entry : pack.opers) {
    if (entry.value->kind != node_oper) continue;
    node_def cleaned = cleaner.clean(*entry.value->node);
    if (package_env == nullptr) package_env = get_env(pack);
    renew_node_env(node_env, *package_env, cleaned);
    dump_node_def(*node_env, cleaned, modes);
  }
}
