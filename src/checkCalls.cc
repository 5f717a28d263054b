#include "checkCalls.h"

#include <vector>

namespace {

// Walks expressions with a stack of its own: they may be nested deeper than
// the call stack goes.
class call_walk {
 public:
  explicit call_walk(called_set& called) : called_(called) {}

  void walk(const val_exp* e) {
    if (e == nullptr) return;
    pending_.push_back(e);
    while (!pending_.empty()) {
      const val_exp* at = pending_.back();
      pending_.pop_back();
      if (at->kind() == nat_call) called_.try_emplace(at->name()->text(), true);
      for (const val_exp* operand : at->ops())
        if (operand->kind() == nat_call || !operand->ops().empty())
          pending_.push_back(operand);
    }
  }

  void walk(const left& item) {
    for (const left* at = &item; at != nullptr; at = at->inner) {
      if (at->kind == left_elem) walk(at->index);
      if (at->kind != left_slice) continue;
      walk(at->range->first);
      walk(at->range->last);
      walk(at->range->step);
    }
  }

 private:
  called_set& called_;
  std::vector<const val_exp*> pending_;
};

}  // namespace

void gather_called(const package& pack, called_set& called) {
  call_walk calls(called);
  for (const auto& declared : pack.consts) calls.walk(declared.value->value);
  for (const auto& declared : pack.types)
    if (declared.value->kind == struct_type)
      for (ident field : declared.value->info->field_names)
        calls.walk(declared.value->info->fields.find(field->text())->default_value);
  for (const auto& declared : pack.opers) {
    if (declared.value->kind != node_oper) continue;
    const node_def& node = *declared.value->node;
    for (const def& equation : node.defs) {
      for (const left* item : equation.lefts) calls.walk(*item);
      calls.walk(equation.exp);
    }
    for (const val_exp* assertion : node.asserts) calls.walk(assertion);
  }
}
