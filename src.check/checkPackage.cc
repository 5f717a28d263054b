#include "checkPackage.h"

#include "checkExp.h"
#include "checkText.h"

namespace {

// The first declaration of a name that was declared again.
ident first_declaration(const package& pack, const repeated_declaration& repeat) {
  std::string_view name = repeat.name->text();
  std::string_view kind = repeat.kind;
  if (kind == "constant") return pack.consts.find(name)->name;
  if (kind == "type") return pack.types.find(name)->name;
  if (kind == "operator") {
    const oper* first = pack.opers.find(name);
    return first->kind == node_oper ? first->node->name : first->func->name;
  }
  // A field's structure is not recorded: another structure may have the name.
  return nullptr;
}

void report_repeats(check_scope& scope) {
  for (const repeated_declaration& repeat : scope.places->repeats()) {
    diagnostic& d =
        scope.found.error(span_of_text(repeat.name), "redeclared",
                          std::string(repeat.kind) + " " +
                              quoted_name(repeat.name->text()) + " declared twice");
    if (ident first = first_declaration(scope.pack, repeat))
      d.notes.push_back({span_of_text(first), "first declared here"});
  }
}

// A type declaration: its written parts, then the type itself by its name,
// which resolves it once whatever refers to it later.
void check_type_declaration(check_scope& scope, env& environment,
                            const type_def& declared) {
  if (declared.kind == aliased_type) report_undeclared_type(scope, *declared.definition);
  if (declared.kind == struct_type)
    for (ident field : declared.info->field_names)
      report_undeclared_type(scope, *declared.info->fields.find(field->text())->type);
  const type_eff* type = &unknown_type;
  try {
    type = resolve_type(environment, *make_named_type(declared.name));
  } catch (const Global_error&) {
    // An array size too large for an integer: the type stays unknown.
    settle_failed_types(environment, &unknown_type);
  } catch (const Typing_failure& failure) {
    settle_failed_types(environment, &unknown_type);
    if (failure.reason == typing_reason::recursive_type)
      scope.found.error(
          span_of_text(declared.name), "recursive",
          "type " + quoted_name(declared.name->text()) + " is defined through itself");
    else if (declared.kind == enum_type && failure.reason == typing_reason::flow_twice)
      for (ident constant : declared.constants)
        if (scope.find(constant->text()) != nullptr)
          scope.found
              .error(span_of_text(constant), "redeclared",
                     "enumeration constant " + quoted_name(constant->text()) +
                         " declared twice")
              .notes.push_back({span_of_text(scope.find(constant->text())->declaration),
                                "first declared here"});
  }
  scope.declared_types.try_emplace(declared.name->text(), type);
  if (declared.kind != enum_type || type == &unknown_type) return;
  for (ident constant : declared.constants) {
    scope.package_names.try_emplace(constant->text(), {constant, name_role::enum_constant,
                                                       single_list(environment, type)});
    scope.package_list.push_back(constant);
  }
}

void check_constant(check_scope& scope, env& environment, const const_def& constant) {
  const type_eff* type = nullptr;
  if (constant.type != nullptr) type = checked_type(scope, environment, *constant.type);
  if (constant.value != nullptr) {
    exp_checker values(scope, environment);
    exp_facts facts = values.check(constant.value);
    if (type != nullptr) {
      values.expect_types(constant.value, facts, {&type, 1},
                          "the value of constant " + quoted_name(constant.name->text()));
    } else if (facts.types == nullptr) {
      type = &unknown_type;
    } else if (facts.types->size() != 1) {
      scope.found.error(values.place_of(constant.value), "type",
                        "the value of constant " + quoted_name(constant.name->text()) +
                            " is a tuple of " + shown_types(*facts.types));
      type = &unknown_type;
    } else {
      type = (*facts.types)[0];
    }
  }
  if (declared_name* other = scope.find(constant.name->text())) {
    scope.found
        .error(span_of_text(constant.name), "redeclared",
               "constant " + quoted_name(constant.name->text()) +
                   " has the name of an enumeration constant")
        .notes.push_back({span_of_text(other->declaration), "declared here"});
    return;
  }
  add_flow(environment, type, nullptr, constant.name);
  scope.package_names.try_emplace(
      constant.name->text(),
      {constant.name, name_role::constant, single_list(environment, type)});
  scope.package_list.push_back(constant.name);
}

// Defaults may name constants, so they come after them.
void check_field_defaults(check_scope& scope, env& environment,
                          const type_def& declared) {
  if (declared.kind != struct_type) return;
  const type_eff* structure = *scope.declared_types.find(declared.name->text());
  if (structure == &unknown_type) return;
  for (const field_eff& resolved : structure->fields) {
    ident name = resolved.name;
    const field_info& field = *declared.info->fields.find(name->text());
    if (field.default_value == nullptr) continue;
    const type_eff* type = resolved.type;
    exp_checker values(scope, environment);
    exp_facts facts = values.check(field.default_value);
    values.expect_types(field.default_value, facts, {&type, 1},
                        "the default of field " + quoted_name(name->text()));
  }
}

// The signature of every operator, in the order of the operator table, where
// the environment finds them.
void add_signature(check_scope& scope, env& environment, const oper& operation) {
  type_list inputs;
  type_list outputs;
  if (operation.kind == node_oper) {
    for (const input_flow& input : operation.node->inputs)
      inputs.push_back(checked_type(scope, environment, *input.var.type));
    for (const flow& output : operation.node->outputs)
      outputs.push_back(checked_type(scope, environment, *output.type));
  } else {
    for (const typed_ident& input : operation.func->inputs)
      inputs.push_back(checked_type(scope, environment, *input.type));
    for (const typed_ident& output : operation.func->outputs)
      outputs.push_back(checked_type(scope, environment, *output.type));
  }
  add_signature(environment, inputs, outputs);
}

}  // namespace

std::unique_ptr<env> check_package(check_scope& scope) {
  const package& pack = scope.pack;
  for (const auto& declared : pack.opers) scope.oper_names.push_back(declared.name);
  for (const auto& declared : pack.types) scope.type_names.push_back(declared.name);
  report_repeats(scope);
  std::unique_ptr<env> environment = make_bare_env(pack);
  for (const auto& declared : pack.types)
    check_type_declaration(scope, *environment, *declared.value);
  for (const auto& declared : pack.consts)
    check_constant(scope, *environment, *declared.value);
  for (const auto& declared : pack.types)
    check_field_defaults(scope, *environment, *declared.value);
  for (const auto& declared : pack.opers)
    add_signature(scope, *environment, *declared.value);
  return environment;
}
