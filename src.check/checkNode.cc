#include "checkNode.h"

#include <algorithm>
#include <cstring>

#include "checkExp.h"
#include "checkNeeds.h"
#include "checkText.h"
#include "small_buffer.h"
#include "xzoNeeds.h"
#include "xzoProperty.h"

namespace {

const char* role_name(name_role role) {
  switch (role) {
    case name_role::input: return "input";
    case name_role::output: return "output";
    case name_role::local: return "local";
    case name_role::constant: return "constant";
    case name_role::enum_constant: return "enumeration constant";
  }
  return "";
}

class node_checker {
 public:
  node_checker(check_scope& scope, const env& package_env, const node_def& node)
      : scope_(scope),
        node_(node),
        env_(make_bare_node_env(package_env)),
        exps_(scope, *env_) {}

  // Whether -cleanall surely keeps every input: the node has no error and
  // cleaning keeps each input, or cannot clean the node.
  bool run(bool unused_warnings) {
    std::size_t errors_before = scope_.found.pending_errors();
    for (const input_flow& input : node_.inputs) declare(input.var, name_role::input);
    for (const flow& output : node_.outputs) declare(output, name_role::output);
    for (const flow& local : node_.locals) declare(local, name_role::local);
    for (const input_flow& input : node_.inputs) check_clock(input.var);
    for (const flow& output : node_.outputs) check_clock(output);
    for (const flow& local : node_.locals) check_clock(local);
    for (const def& equation : node_.defs) check_equation(equation);
    for (const val_exp* assertion : node_.asserts) {
      exps_.record_reads(needs_.next_unit());
      exps_.expect_types(assertion, exps_.check(assertion), bool_list(), "an assertion");
    }
    for (pragma annotation : node_.pragmas) check_annotation(annotation);
    for (const flow& output : node_.outputs) check_defined(output, "output");
    for (const flow& local : node_.locals) check_defined(local, "local");
    if (unused_warnings) {
      for (const input_flow& input : node_.inputs) warn_unused(input.var, "input");
      for (const flow& local : node_.locals) warn_unused(local, "local");
    }
    if (scope_.found.pending_errors() != errors_before) return false;
    return partial_lefts_ || scope_.called.find(node_.name->text()) == nullptr ||
           cleaning_keeps_inputs();
  }

 private:
  void declare(const flow& variable, name_role role) {
    const type_eff* type = checked_type(scope_, *env_, *variable.type);
    std::string_view name = variable.name->text();
    if (const declared_name* other = scope_.package_names.find(name)) {
      scope_.found
          .error(span_of_text(variable.name), "redeclared",
                 "flow " + quoted_name(name) + " has the name of a " +
                     role_name(other->role))
          .notes.push_back({span_of_text(other->declaration), "declared here"});
      return;
    }
    const type_list* types = single_list(*env_, type);
    auto [entry, fresh] =
        scope_.node_names.try_emplace(name, {variable.name, role, types, variable.clock});
    if (!fresh) {
      scope_.found
          .error(span_of_text(variable.name), "redeclared",
                 "flow " + quoted_name(name) + " declared twice")
          .notes.push_back({span_of_text(entry->declaration), "first declared here"});
      return;
    }
    scope_.node_list.push_back(variable.name);
  }

  void check_clock(const flow& variable) {
    if (variable.clock == nullptr) return;
    std::string_view name = variable.clock->text();
    declared_name* clock = scope_.node_names.find(name);
    if (clock == nullptr) {
      diagnostic& d =
          scope_.found.error(span_of_text(variable.clock), "undeclared",
                             "clock " + quoted_name(name) + " is not a flow of node " +
                                 quoted_name(node_.name->text()));
      suggest(d, name, scope_.node_list);
      return;
    }
    clock->used = true;
    const type_eff& type = *(*clock->type)[0];
    if (type.kind != bool_eff && &type != &unknown_type)
      scope_.found
          .error(span_of_text(variable.clock), "type",
                 "clock " + quoted_name(name) + " must be a bool flow, not " +
                     shown_types({std::array{&type}}))
          .notes.push_back({span_of_text(clock->declaration), "declared here"});
  }

  // The type and clock a left gives its part of the right side; the type is
  // unknown after an error.
  struct left_facts {
    const type_eff* type;
    flow_clock clock;
  };

  // A left below a field, element or slice defines its variable in part:
  // several such lefts do not define it twice.
  left_facts check_left(const left& item, bool whole = true) {
    switch (item.kind) {
      case left_id: return check_defined_name(item.name, whole);
      case left_field: {
        left_facts inner = check_left(*item.inner, false);
        if (inner.type == &unknown_type) return inner;
        if (inner.type->kind == struct_eff)
          for (const field_eff& field : inner.type->fields)
            if (field.name->text() == item.name->text()) return {field.type, inner.clock};
        scope_.found.error(span_of_text(item.name), "type",
                           "no field " + quoted_name(item.name->text()) +
                               " in a value of type " +
                               shown_types({std::array{inner.type}}));
        return {&unknown_type, inner.clock};
      }
      case left_elem:
      case left_slice: {
        if (item.kind == left_elem) {
          exps_.check(item.index);
        } else {
          exps_.check(item.range->first);
          exps_.check(item.range->last);
          if (item.range->step != nullptr) exps_.check(item.range->step);
        }
        left_facts inner = check_left(*item.inner, false);
        if (inner.type == &unknown_type) return inner;
        if (inner.type->kind == array_eff) return {inner.type->element, inner.clock};
        scope_.found.error(span_of_text(base_name(item)), "type",
                           "an element of " + quoted_name(base_name(item)->text()) +
                               ", which is not an array, is defined");
        return {&unknown_type, inner.clock};
      }
    }
    return {&unknown_type, nullptr};
  }

  static ident base_name(const left& item) {
    const left* at = &item;
    while (at->kind != left_id) at = at->inner;
    return at->name;
  }

  left_facts check_defined_name(ident name, bool whole) {
    std::string_view text = name->text();
    declared_name* declared = scope_.node_names.find(text);
    if (declared == nullptr) {
      if (declared_name* other = scope_.package_names.find(text)) {
        scope_.found
            .error(span_of_text(name), "define",
                   std::string(role_name(other->role)) + " " + quoted_name(text) +
                       " is defined by an equation")
            .notes.push_back({span_of_text(other->declaration), "declared here"});
      } else {
        diagnostic& d = scope_.found.error(
            span_of_text(name), "undeclared",
            "undeclared flow " + quoted_name(text) + " defined by an equation");
        suggest(d, text, scope_.node_list);
      }
      return {&unknown_type, nullptr};
    }
    if (declared->role == name_role::input) {
      scope_.found
          .error(span_of_text(name), "define",
                 "input " + quoted_name(text) + " is defined by an equation")
          .notes.push_back({span_of_text(declared->declaration), "declared here"});
    } else if (!whole) {
      declared->defined = true;
    } else if (declared->first_definition != nullptr) {
      scope_.found
          .error(span_of_text(name), "redefined",
                 quoted_name(text) + " is defined by more than one equation")
          .notes.push_back(
              {span_of_text(declared->first_definition), "first defined here"});
    } else {
      declared->defined = true;
      declared->first_definition = name;
      declared->defined_by = equation_;
    }
    return {(*declared->type)[0], declared->on};
  }

  void check_equation(const def& equation) {
    ++equation_;
    exps_.record_reads(needs_.next_unit());
    exp_facts right = exps_.check(equation.exp);
    small_buffer<const type_eff*> left_types(equation.lefts.size());
    bool known = true;
    for (std::size_t position = 0; position < equation.lefts.size(); ++position) {
      const left* item = equation.lefts[position];
      partial_lefts_ = partial_lefts_ || item->kind != left_id;
      left_facts facts = check_left(*item);
      left_types[position] = facts.type;
      known = known && facts.type != &unknown_type;
      bool clock_declared = facts.clock == nullptr ||
                            scope_.node_names.find(facts.clock->text()) != nullptr;
      if (item->kind == left_id && right.clock_known && clock_declared &&
          !is_literal(equation.exp) && !same_clock(right.clock, facts.clock))
        scope_.found.error(exps_.place_of(equation.exp), "clock",
                           "the right side is on " + shown_clock(right.clock) + ", " +
                               quoted_name(item->name->text()) + " on " +
                               shown_clock(facts.clock));
    }
    std::span<const type_eff* const> lefts = left_types.all();
    if (!known || right.types == nullptr || same_types(*right.types, lefts)) return;
    std::string what = lefts.size() == 1
                           ? quoted_name(base_name(*equation.lefts[0])->text()) +
                                 " has type " + shown_types(lefts)
                           : "the left side has " + std::to_string(lefts.size()) +
                                 " values of types " + shown_types(lefts);
    scope_.found.error(
        exps_.place_of(equation.exp), "type",
        "the right side has type " + shown_types(*right.types) + ", " + what);
  }

  // What cleaning starts from: the outputs, the flows the properties read and
  // the lefts of equations of several lefts, which it always keeps.
  bool cleaning_keeps_inputs() {
    std::vector<declared_name*> roots;
    for (const flow& output : node_.outputs) roots.push_back(own_declaration(output));
    roots.insert(roots.end(), property_reads_.begin(), property_reads_.end());
    for (const def& equation : node_.defs)
      if (equation.lefts.size() != 1)
        for (const left* item : equation.lefts)
          roots.push_back(scope_.node_names.find(item->name->text()));
    needs_.mark(roots, node_.defs.size(), scope_.node_names);
    for (const input_flow& input : node_.inputs) {
      const declared_name* declared = own_declaration(input.var);
      if (declared == nullptr || !declared->needed) return false;
    }
    return true;
  }

  // A literal takes the clock of what it defines.
  static bool is_literal(const val_exp* e) {
    switch (e->kind()) {
      case nat_true:
      case nat_false:
      case nat_iconst:
      case nat_rconst: return true;
      default: return false;
    }
  }

  void check_annotation(pragma annotation) {
    std::string_view text = annotation->text();
    std::optional<std::string_view> property = property_text(text);
    if (!property) {
      if (text.starts_with("PROPERTY"))
        scope_.found.warning(span_of_text(annotation), "property",
                             "annotation starts with PROPERTY but is not "
                             "'PROPERTY expression;': it is no property");
      return;
    }
    const val_exp* read = read_property(*property, annotation);
    if (read == nullptr) {
      scope_.found.error(span_of_text(annotation), "property",
                         "the property does not read as one expression");
      return;
    }
    exp_checker properties(scope_, *env_, span_of_text(annotation));
    properties.record_reads(property_reads_);
    properties.expect_types(read, properties.check(read), bool_list(), "a property");
  }

  void check_defined(const flow& variable, const char* role) {
    const declared_name* declared = own_declaration(variable);
    if (declared == nullptr || declared->defined) return;
    scope_.found.error(span_of_text(variable.name), "undefined",
                       std::string(role) + " " + quoted_name(variable.name->text()) +
                           " is defined by no equation");
  }

  // What the flow declares when it is the declaration its name stands for,
  // not a repeat; null for a repeat.
  declared_name* own_declaration(const flow& variable) {
    declared_name* declared = scope_.node_names.find(variable.name->text());
    return declared != nullptr && declared->declaration == variable.name ? declared
                                                                         : nullptr;
  }

  void warn_unused(const flow& variable, const char* role) {
    const declared_name* declared = own_declaration(variable);
    if (declared == nullptr || declared->used) return;
    // Built in one piece: a large program has many of these.
    std::string_view name = variable.name->text();
    std::string message;
    message.reserve(std::strlen(role) + std::min(name.size(), quoted_most) + 20);
    message.append(role).append(" ");
    append_quoted_name(message, name);
    message.append(" is not used");
    scope_.found.warning(span_of_text(variable.name), "unused", std::move(message));
  }

  check_scope& scope_;
  const node_def& node_;
  std::unique_ptr<env> env_;
  exp_checker exps_;
  cleaning_needs needs_;
  std::vector<declared_name*> property_reads_;
  // The equation being checked, by its position; whether a left defines
  // its variable in part, which cleaning does not take.
  std::int32_t equation_ = -1;
  bool partial_lefts_ = false;
};

}  // namespace

bool check_node(check_scope& scope, const env& package_env, const node_def& node,
                bool unused_warnings) {
  scope.node_names.clear();
  scope.node_list.clear();
  return node_checker(scope, package_env, node).run(unused_warnings);
}

void warn_interface_change(check_scope& scope, const node_def& node) {
  if (scope.called.find(node.name->text()) == nullptr) return;
  // Cleaning does not take a node whose lefts define a variable in part.
  for (const def& equation : node.defs)
    for (const left* item : equation.lefts)
      if (item->kind != left_id) return;
  need_marking needs;
  needs.mark_node(node, make_def_table(node));
  // A long list shows its first names and its length.
  constexpr std::size_t shown_most = 8;
  std::string removed;
  std::size_t count = 0;
  for (const input_flow& input : node.inputs) {
    if (needs.is_used(input.var.name->text())) continue;
    if (++count > shown_most) continue;
    removed += (removed.empty() ? "" : ", ") + quoted_name(input.var.name->text());
  }
  if (count == 0) return;
  if (count > shown_most) removed += ", ... (" + std::to_string(count) + " inputs)";
  scope.found.warning(span_of_text(node.name), "cleanall",
                      "-cleanall would remove input(s) " + removed + " of node " +
                          quoted_name(node.name->text()) + ", which is called");
}
