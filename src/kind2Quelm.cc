#include "kind2Quelm.h"

#include <memory>
#include <optional>
#include <string_view>

#include "arena.h"
#include "errors.h"
#include "kind2QuelmInternal.h"
#include "verbose.h"
#include "xzo.h"
#include "xzoDecls.h"
#include "xzoDump.h"
#include "xzoProperty.h"
#include "xzoTyping.h"
#include "xzoUsrOps.h"

namespace kind2_quelm {

namespace {

// The property is printed in the environment of its node, where its fields
// and names are known.
void trace_found(const package& pack, const node_def& found, const val_exp* property,
                 ident node_name, verbosity shown) {
  if (!shown.shown(1)) return;
  // The trace shows the property as written in zo, in the plain layout
  // whatever user modes the package is printed in.
  std::unique_ptr<env> package_env = get_env(pack);  // the node's refers to it
  std::unique_ptr<env> node_env = get_node_env(*package_env, found);
  std::string text = string_of_exp(*node_env, property);
  std::string_view name = node_name->text();
  shown.printf(1, "#Found PROPERTY(IES) \"%s\" in node %.*s\n", text.c_str(),
               static_cast<int>(name.size()), name.data());
}

// The first list followed by the second, in the run's arena.
template <typename T>
std::span<const T> prepended(const T& first, std::span<const T> rest) {
  T* joined = static_cast<T*>(run_arena().allocate(sizeof(T) * (rest.size() + 1)));
  std::construct_at(joined, first);
  std::uninitialized_copy(rest.begin(), rest.end(), joined + 1);
  return {joined, rest.size() + 1};
}

const node_def* harness_node(ident name, const node_def& found, const val_exp* property) {
  ident ok = make_text(run_arena(), std::string(name->text()) + "_ok");
  const left* ok_left = run_arena().make<left>(left{.kind = left_id, .name = ok});
  const def ok_def{run_arena().copy(std::span<const left* const>(&ok_left, 1)), property};
  return run_arena().make<node_def>(
      node_def{name,
               found.inputs,
               prepended(flow{ok, bool_type_exp(), nullptr}, found.outputs),
               found.locals,
               found.asserts,
               prepended(ok_def, found.defs),
               {}});
}

// Adds the harness node `id` for the operator `name` when it is a node with
// properties, and says whether it did; fails as `doit`.
bool treat_oper(package& pack, const std::string& id, ident name, const oper& operation,
                reading_trace& trace) {
  if (operation.kind != node_oper) return false;
  const node_def& found = *operation.node;
  std::vector<const val_exp*> props = filter_property_pragmas(found.pragmas, trace);
  if (props.empty()) return false;
  const val_exp* property = make_and(props);
  trace_found(pack, found, property, name, trace.shown);
  ident harness_name = make_text(run_arena(), id);
  const oper* harness = run_arena().make<oper>(
      oper{node_oper, nullptr, harness_node(harness_name, found, property)});
  if (!pack.opers.add_new(harness_name, harness))
    throw Global_error{"operator " + id + " already declared"};
  pack.items.insert(pack.items.begin(), {oper_item, harness_name});
  return true;
}

}  // namespace

void doit(package& pack, const std::string& id, user_modes modes, reading_trace& trace) {
  // Adding the harness grows the table being walked, so the walk ends at once.
  for (const auto& [name, operation] : pack.opers) {
    if (treat_oper(pack, id, name, *operation, trace)) {
      dump_pack(pack, modes);
      return;
    }
  }
  throw Global_error{"#NO MAIN PRAGMA"};
}

std::vector<const val_exp*> filter_property_pragmas(std::span<const pragma> pragmas,
                                                    reading_trace& trace) {
  struct property_source {
    std::string_view text;
    text_origin origin;
  };
  std::vector<property_source> sources;
  for (pragma annotation : pragmas) {
    std::optional<std::string_view> text = property_text(annotation->text());
    if (!text) continue;
    sources.push_back({*text, property_origin(annotation)});
    if (!trace.shown.shown(2)) continue;
    trace.shown.printf(2, "#Found (RAW) PROPERTY \"%.*s\"\n",
                       static_cast<int>(text->size()), text->data());
    lexemize_string(*text, sources.back().origin, trace.last_made);
  }
  // The properties are read from the last to the first: a property without
  // any token is reported at the last position made before it.
  std::vector<const val_exp*> props(sources.size());
  for (std::size_t i = sources.size(); i-- > 0;)
    props[i] = exp_of_string(sources[i].text, sources[i].origin, trace.last_made);
  return props;
}

const val_exp* make_and(std::span<const val_exp* const> props) {
  const val_exp* conjunction = props.back();
  for (std::size_t i = props.size() - 1; i-- > 0;) {
    const val_exp* operands[] = {props[i], conjunction};
    conjunction = make_val_exp(nat_and, operands);
  }
  return conjunction;
}

}  // namespace kind2_quelm
