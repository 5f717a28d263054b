// The writer's declarations, parameters and types, and its public entry
// points; expressions are printed by xzoDumpExp.cc.
#include "xzoDump.h"

#include <memory>
#include <utility>

#include "errors.h"
#include "xzoDumpScope.h"
#include "xzoUsrOps.h"

void text_sink::append_to_text(std::string_view piece) const { text_->append(piece); }

namespace {

void print_basic_type(const dump_scope& scope, bool usr_mode, std::string_view usr_name,
                      std::string_view name) {
  scope.out(usr_mode ? usr_name : name);
}

void print_type_exp(dump_scope& scope, const type_exp& type);

void print_flow(dump_scope& scope, const flow& var) {
  if (var.clock != nullptr) scope.out("(");
  scope.out(var.name->text());
  scope.out(" : ");
  print_type_exp(scope, *var.type);
  if (var.clock != nullptr) {
    scope.out(") when ");
    scope.out(var.clock->text());
  }
}

void print_typed_ident(dump_scope& scope, const typed_ident& param) {
  scope.out(param.name->text());
  scope.out(" : ");
  print_type_exp(scope, *param.type);
}

// The declaration an item of the package names, in the table of its kind.
template <typename T>
const T& declared(const name_table<T>& table, ident name) {
  const T* found = table.find(name->text());
  if (found == nullptr)
    throw Internal_error{"dump_pack", "undeclared item " + std::string(name->text())};
  return *found;
}

void print_type_head(const dump_scope& scope, const type_def& type) {
  scope.out("type ");
  scope.out(type.name->text());
}

// Default values of fields are not printed.
void print_struct_fields(dump_scope& scope, const struct_info& info) {
  scope.out(" = struct {");
  for (std::size_t i = 0; i < info.field_names.size(); ++i) {
    if (i != 0) scope.out("; ");
    scope.out(info.field_names[i]->text());
    scope.out(": ");
    print_type_exp(scope, *info.fields.find(info.field_names[i]->text())->type);
  }
  scope.out("}");
}

// Written in place of an empty input list, in every user mode alike.
constexpr std::string_view no_inputs = "__DUMMY : bool";

void print_def(dump_scope& scope, const def& equation) {
  scope.out("   ");
  for (std::size_t i = 0; i < equation.lefts.size(); ++i) {
    if (i != 0) scope.out(", ");
    print_left(scope, *equation.lefts[i]);
  }
  scope.out(" = ");
  print_val_exp(scope, equation.exp);
  scope.out(";\n");
}

void print_assert(dump_scope& scope, const val_exp* assertion) {
  scope.out("   assert ");
  print_val_exp(scope, assertion);
  scope.out(";\n");
}

void print_type_exp(dump_scope& scope, const type_exp& type) {
  switch (type.kind) {
    case bool_type:
      print_basic_type(scope, scope.modes.boolean, "UsrBool", "bool");
      return;
    case int_type: print_basic_type(scope, scope.modes.integer, "UsrInt", "int"); return;
    case real_type: print_basic_type(scope, scope.modes.real, "UsrReal", "real"); return;
    case named_type: scope.out(type.name->text()); return;
    case array_type:
      print_type_exp(scope, *type.element);
      // The size is printed as written, never as a user constant.
      if (type.size->kind() != nat_iconst)
        throw Global_error{"only constant array size implemented"};
      scope.out("^");
      scope.out(type.size->name()->text());
      return;
    case tuple_type:
      scope.out("[");
      if (type.items.empty()) throw Global_error{"empty tuple type"};
      for (std::size_t i = 0; i < type.items.size(); ++i) {
        if (i != 0) scope.out(", ");
        print_type_exp(scope, *type.items[i]);
      }
      scope.out("]");
      return;
  }
}

// Parameters "x : T" on one line, separated by "; ".
void print_typed_ident_list(dump_scope& scope, std::span<const typed_ident> params) {
  for (std::size_t i = 0; i < params.size(); ++i) {
    if (i != 0) scope.out("; ");
    print_typed_ident(scope, params[i]);
  }
}

// Flows "x : T" or "(x : T) when c", one per line, each indented by three
// blanks, with nothing after the last.
void print_typed_clocked_ident_list(dump_scope& scope, std::span<const flow> vars) {
  for (std::size_t i = 0; i < vars.size(); ++i) {
    scope.out(i == 0 ? "   " : ";\n   ");
    print_flow(scope, vars[i]);
  }
}

// The inputs of a node as flows, "const " before constant ones.
void print_input_list(dump_scope& scope, std::span<const input_flow> inputs) {
  for (std::size_t i = 0; i < inputs.size(); ++i) {
    if (i != 0) scope.out(";\n");
    scope.out(inputs[i].kind == const_input ? "   const " : "   ");
    print_flow(scope, inputs[i].var);
  }
}

void print_pragma(const dump_scope& scope, pragma text) {
  scope.out("--%");
  scope.out(text->text());
  scope.out("\n");
}

// A function declaration; fails as `dump_type_exp`.
void print_func_def(const env& environment, const func_def& func, user_modes modes) {
  dump_scope scope({}, environment, modes);
  scope.out(func.is_unsafe ? "unsafe function " : "function ");
  scope.out(func.name->text());
  scope.out(" (\n");
  if (func.inputs.empty())
    scope.out(no_inputs);
  else
    print_typed_ident_list(scope, func.inputs);
  scope.out("\n) returns (\n");
  print_typed_ident_list(scope, func.outputs);
  scope.out("\n);\n");
}

// A type declaration; `Global_error` for an enumeration type.
void print_type_def(const env& environment, const type_def& type, user_modes modes) {
  dump_scope scope({}, environment, modes);
  switch (type.kind) {
    case extern_type: print_type_head(scope, type); break;
    case aliased_type:
      print_type_head(scope, type);
      scope.out(" = ");
      print_type_exp(scope, *type.definition);
      break;
    case enum_type: throw Global_error{"enumerate types not implemented"};
    case struct_type:
      print_type_head(scope, type);
      print_struct_fields(scope, *type.info);
      break;
  }
  scope.out(";\n");
}

}  // namespace

void dump_type_exp(const env& environment, const type_exp& type, user_modes modes) {
  dump_scope scope({}, environment, modes);
  print_type_exp(scope, type);
}

void dump_pack(const package& pack, user_modes modes, const node_rendering& rendering) {
  std::unique_ptr<env> package_env = get_env(pack);
  std::unique_ptr<env> node_env;  // one storage for every node in turn
  for (const def_item& item : pack.items) {
    switch (item.kind) {
      case const_item:
        dump_const_def(*package_env, declared(pack.consts, item.name), modes);
        break;
      case type_item:
        print_type_def(*package_env, declared(pack.types, item.name), modes);
        break;
      case oper_item: {
        const oper& op = declared(pack.opers, item.name);
        if (op.kind == func_oper) {
          print_func_def(*package_env, *op.func, modes);
        } else {
          const node_def& node = rendering ? rendering(*op.node) : *op.node;
          renew_node_env(node_env, *package_env, node);
          dump_node_def(*node_env, node, modes);
        }
        break;
      }
    }
  }
}

void dump_node_def(const env& environment, const node_def& node, user_modes modes) {
  dump_scope scope({}, environment, modes);
  scope.out("node ");
  scope.out(node.name->text());
  scope.out(" (\n");
  if (node.inputs.empty())
    scope.out(no_inputs);
  else
    print_input_list(scope, node.inputs);
  scope.out("\n) returns (\n");
  print_typed_clocked_ident_list(scope, node.outputs);
  scope.out("\n);\n");
  if (!node.locals.empty()) {
    scope.out("var\n");
    print_typed_clocked_ident_list(scope, node.locals);
    scope.out(";\n");
  }
  scope.out("let\n");
  for (pragma text : node.pragmas) print_pragma(scope, text);
  for (const val_exp* assertion : node.asserts) print_assert(scope, assertion);
  for (const def& equation : node.defs) print_def(scope, equation);
  scope.out("tel\n");
}

void dump_const_def(const env& environment, const const_def& constant, user_modes modes) {
  dump_scope scope({}, environment, modes);
  scope.out("const ");
  scope.out(constant.name->text());
  if (constant.kind == extern_const) {
    scope.out(" : ");
    print_type_exp(scope, *constant.type);
  } else {
    scope.out(" = ");
    print_val_exp(scope, constant.value);
  }
  scope.out(";\n");
}

void dump_val_exp(const env& environment, const val_exp* e, user_modes modes) {
  dump_scope scope({}, environment, modes);
  print_val_exp(scope, e);
}

// An environment of its own for each expression: what typing remembers of an
// expression must not outlive the expression.
void dump_simple_exp(const val_exp* e) { dump_val_exp(*make_empty_env(), e); }

std::string string_of_simple_exp(const val_exp* e) {
  return string_of_exp(*make_empty_env(), e);
}

std::string string_of_exp(const env& environment, const val_exp* e, user_modes modes) {
  std::string text;
  text.reserve(100);
  dump_scope scope(text_sink(text), environment, modes);
  print_val_exp(scope, e);
  return text;
}

void dump_left(const env& environment, const left& item, user_modes modes) {
  dump_scope scope({}, environment, modes);
  print_left(scope, item);
}

void dump_def(const env& environment, const def& equation, user_modes modes) {
  dump_scope scope({}, environment, modes);
  print_def(scope, equation);
}

void dump_assert(const env& environment, const val_exp* assertion, user_modes modes) {
  dump_scope scope({}, environment, modes);
  print_assert(scope, assertion);
}

std::int64_t search_field_index(const env& environment, std::string_view field) {
  dump_scope scope({}, environment, {});
  return field_index(scope, field);
}
