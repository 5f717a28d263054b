#include "checkDeps.h"

#include <string>

#include "errors.h"
#include "xzo.h"
#include "xzoDeps.h"
#include "xzoProperty.h"

namespace {

std::string quoted(std::string_view name) { return "'" + std::string(name) + "'"; }

// "NAME (line N)": a flow or node on a chain, with the line that shows it.
std::string with_line(ident name) {
  return std::string(name->text()) + " (line " + std::to_string(span_of_text(name).line) +
         ")";
}

// The span of the chain's first name when every name on it has a place; no
// place otherwise, so that a node read without places is read again.
text_span chain_place(std::span<const ident> chain) {
  for (ident name : chain)
    if (span_of_text(name).line == 0) return {};
  return span_of_text(chain[0]);
}

// Which `pre` can leave a value nil at the first step: one that no `->`
// guards, met in a flow's definition or in the expression itself. A flow has
// the first such `pre` of its definition. A call of a node gives none, since
// its first outputs depend on what the node does with its inputs; a call of
// a function is nil when an argument is.
class first_step_nils {
 public:
  explicit first_step_nils(const package& pack) : pack_(pack) {}

  // Gives every flow defined by the node's equations its `pre`, taking the
  // equations in `order`, where each comes after what it reads.
  void define_flows(const node_def& node, std::span<const std::uint32_t> order) {
    for (std::uint32_t position : order) {
      const def& equation = node.defs[position];
      bool partial = false;
      for (const left* item : equation.lefts) partial = partial || item->kind != left_id;
      if (partial) continue;
      const val_exp* right = equation.exp;
      std::size_t count = equation.lefts.size();
      bool by_component =
          count > 1 && right->kind() == nat_tuple && right->ops().size() == count;
      const val_exp* whole = by_component ? nullptr : unguarded_pre(right);
      bool whole_through_flow = through_flow_;
      for (std::size_t at = 0; at < count; ++at) {
        const val_exp* found = by_component ? unguarded_pre(right->op(at)) : whole;
        if (found != nullptr)
          flows_.try_emplace(equation.lefts[at]->name->text(),
                             {found, by_component ? through_flow_ : whole_through_flow});
      }
    }
  }

  // The first `pre` that can make a flow nil at the first step, and whether
  // its definition reads it through another flow.
  struct origin {
    const val_exp* pre = nullptr;
    bool through_flow = false;
  };

  // Whether some flow can be nil at the first step.
  bool any_flow() const { return flows_.size() != 0; }

  // The flow's origin; no `pre` when it cannot be nil at the first step.
  origin of_flow(std::string_view name) const {
    const origin* found = flows_.find(name);
    return found == nullptr ? origin{} : *found;
  }

  // The first `pre`, in written order, that can make the expression nil at
  // the first step, or null.
  // Says in `through_flow_` whether it was found in the definition of a flow
  // the expression reads.
  const val_exp* unguarded_pre(const val_exp* e) {
    through_flow_ = false;
    work_.assign(1, e);
    while (!work_.empty()) {
      const val_exp* at = work_.back();
      work_.pop_back();
      switch (at->kind()) {
        case nat_pre: return at;
        case nat_arrow: work_.push_back(at->op(0)); continue;
        case nat_ident:
          if (const origin* found = flows_.find(at->name()->text())) {
            through_flow_ = true;
            return found->pre;
          }
          continue;
        case nat_call: {
          const oper* called = pack_.opers.find(at->name()->text());
          if (called == nullptr || called->kind == node_oper) continue;
          break;
        }
        case nat_array_elem: work_.push_back(at->index()); break;
        default: break;
      }
      std::span<const val_exp* const> operands = at->ops();
      for (std::size_t next = operands.size(); next > 0; --next)
        work_.push_back(operands[next - 1]);
    }
    return nullptr;
  }

 private:
  const package& pack_;
  flat_map<std::string_view, origin, short_text_hash> flows_;
  std::vector<const val_exp*> work_;
  bool through_flow_ = false;
};

// Warns at each `pre` that can make an output, an assertion or a property nil
// at the first step, once for the first of them it reaches.
void warn_unguarded_pres(check_scope& scope, const node_def& node,
                         std::span<const std::uint32_t> order) {
  first_step_nils nils(scope.pack);
  nils.define_flows(node, order);
  flat_map<const val_exp*, bool> warned;
  // The subject, "output 'y'" or "an assertion", is spelt out only for a
  // warning: most outputs have none.
  auto warn = [&](const val_exp* pre, const text_span& fallback, std::string_view kind,
                  std::string_view name = {}) -> diagnostic* {
    if (pre == nullptr || !warned.try_emplace(pre, true).second) return nullptr;
    std::string subject(kind);
    if (!name.empty()) subject += " " + quoted(name);
    return &scope.found.warning(
        scope.place_of(pre, fallback), "init",
        subject + " can be nil at the first step: this 'pre' has no '->' before it");
  };
  for (const flow& output : node.outputs) {
    std::string_view name = output.name->text();
    first_step_nils::origin found = nils.of_flow(name);
    diagnostic* d = warn(found.pre, {}, "output", name);
    // The pre stands in another flow's definition: say where the output is.
    if (d != nullptr && found.through_flow)
      d->notes.push_back({span_of_text(output.name), quoted(name) + " declared here"});
  }
  for (const val_exp* assertion : node.asserts)
    warn(nils.unguarded_pre(assertion), {}, "an assertion");
  for (pragma annotation : node.pragmas) {
    std::optional<std::string_view> property = property_text(annotation->text());
    // Without a flow that can be nil, only a pre of its own can make it nil.
    if (!property ||
        (!nils.any_flow() && property->find("pre") == std::string_view::npos))
      continue;
    const val_exp* read = nullptr;
    try {
      read = exp_of_string(*property, property_origin(annotation));
    } catch (const Syntax_error&) {
    } catch (const Fatal_error&) {
    }
    if (read != nullptr)
      warn(nils.unguarded_pre(read), span_of_text(annotation), "a property");
  }
}

}  // namespace

void report_recursion(check_scope& scope) {
  std::vector<ident> chain = find_recursion(scope.pack);
  if (chain.empty()) return;
  std::string message = "node " + quoted(chain[0]->text()) + " calls itself";
  if (chain.size() > 1) {
    message += ": " + std::string(chain[0]->text());
    for (std::size_t at = 1; at < chain.size(); ++at)
      message += " -> " + with_line(chain[at]);
    message += " -> " + std::string(chain[0]->text());
  }
  scope.found.error(span_of_text(chain[0]), "recursion", std::move(message));
}

void check_dependencies(check_scope& scope, const node_def& node, bool warn_init) {
  equation_order order = order_equations(node);
  if (order.cycle.empty()) {
    if (warn_init) warn_unguarded_pres(scope, node, order.equations);
    return;
  }
  // A cycle from one part of a flow to another may not be one.
  if (order.through_part) return;
  std::string message = "instantaneous cycle: ";
  for (ident flow : order.cycle) message += with_line(flow) + " -> ";
  message += order.cycle[0]->text();
  scope.found.error(chain_place(order.cycle), "cycle", std::move(message));
}
