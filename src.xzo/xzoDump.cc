// The writer's declarations, parameters and types, and its public entry
// points; expressions are printed by xzoDumpExp.cc.
#include "xzoDump.h"

#include <memory>
#include <utility>

#include "errors.h"
#include "xzoDumpScope.h"
#include "xzoUsrOps.h"

text_sink out_fn;

void text_sink::append_to_text(std::string_view piece) const { text_->append(piece); }

namespace {

void print_basic_type(bool usr_mode, std::string_view usr_name, std::string_view name) {
  out(usr_mode ? usr_name : name);
}

void print_flow(const env& environment, const flow& var, user_modes modes) {
  if (var.clock != nullptr) out("(");
  out(var.name->text());
  out(" : ");
  dump_type_exp(environment, *var.type, modes);
  if (var.clock != nullptr) {
    out(") when ");
    out(var.clock->text());
  }
}

void print_typed_ident(const env& environment, const typed_ident& param,
                       user_modes modes) {
  out(param.name->text());
  out(" : ");
  dump_type_exp(environment, *param.type, modes);
}

// The declaration an item of the package names, in the table of its kind.
template <typename T>
const T& declared(const name_table<T>& table, ident name) {
  const T* found = table.find(name->text());
  if (found == nullptr)
    throw Internal_error{"dump_pack", "undeclared item " + std::string(name->text())};
  return *found;
}

void print_type_head(const type_def& type) {
  out("type ");
  out(type.name->text());
}

// Default values of fields are not printed.
void print_struct_fields(const env& environment, const struct_info& info,
                         user_modes modes) {
  out(" = struct {");
  for (std::size_t i = 0; i < info.field_names.size(); ++i) {
    if (i != 0) out("; ");
    out(info.field_names[i]->text());
    out(": ");
    dump_type_exp(environment, *info.fields.find(info.field_names[i]->text())->type,
                  modes);
  }
  out("}");
}

// Written in place of an empty input list, in every user mode alike.
constexpr std::string_view no_inputs = "__DUMMY : bool";

void print_def(dump_scope& scope, const def& equation) {
  out("   ");
  for (std::size_t i = 0; i < equation.lefts.size(); ++i) {
    if (i != 0) out(", ");
    print_left(scope, *equation.lefts[i]);
  }
  out(" = ");
  print_val_exp(scope, equation.exp);
  out(";\n");
}

void print_assert(dump_scope& scope, const val_exp* assertion) {
  out("   assert ");
  print_val_exp(scope, assertion);
  out(";\n");
}

}  // namespace

void dump_type_exp(const env& environment, const type_exp& type, user_modes modes) {
  switch (type.kind) {
    case bool_type: print_basic_type(modes.boolean, "UsrBool", "bool"); return;
    case int_type: print_basic_type(modes.integer, "UsrInt", "int"); return;
    case real_type: print_basic_type(modes.real, "UsrReal", "real"); return;
    case named_type: out(type.name->text()); return;
    case array_type:
      dump_type_exp(environment, *type.element, modes);
      // The size is printed as written, never as a user constant.
      if (type.size->kind() != nat_iconst)
        throw Global_error{"only constant array size implemented"};
      out("^");
      out(type.size->name()->text());
      return;
    case tuple_type:
      out("[");
      if (type.items.empty()) throw Global_error{"empty tuple type"};
      for (std::size_t i = 0; i < type.items.size(); ++i) {
        if (i != 0) out(", ");
        dump_type_exp(environment, *type.items[i], modes);
      }
      out("]");
      return;
  }
}

void dump_typed_ident_list(const env& environment, std::span<const typed_ident> params,
                           user_modes modes) {
  for (std::size_t i = 0; i < params.size(); ++i) {
    if (i != 0) out("; ");
    print_typed_ident(environment, params[i], modes);
  }
}

void dump_typed_clocked_ident_list(const env& environment, std::span<const flow> vars,
                                   user_modes modes) {
  for (std::size_t i = 0; i < vars.size(); ++i) {
    out(i == 0 ? "   " : ";\n   ");
    print_flow(environment, vars[i], modes);
  }
}

void dump_input_list(const env& environment, std::span<const input_flow> inputs,
                     user_modes modes) {
  for (std::size_t i = 0; i < inputs.size(); ++i) {
    if (i != 0) out(";\n");
    out(inputs[i].kind == const_input ? "   const " : "   ");
    print_flow(environment, inputs[i].var, modes);
  }
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
        dump_type_def(*package_env, declared(pack.types, item.name), modes);
        break;
      case oper_item: {
        const oper& op = declared(pack.opers, item.name);
        if (op.kind == func_oper) {
          dump_func_def(*package_env, *op.func, modes);
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
  dump_scope scope(environment, modes);
  out("node ");
  out(node.name->text());
  out(" (\n");
  if (node.inputs.empty())
    out(no_inputs);
  else
    dump_input_list(environment, node.inputs, modes);
  out("\n) returns (\n");
  dump_typed_clocked_ident_list(environment, node.outputs, modes);
  out("\n);\n");
  if (!node.locals.empty()) {
    out("var\n");
    dump_typed_clocked_ident_list(environment, node.locals, modes);
    out(";\n");
  }
  out("let\n");
  for (pragma text : node.pragmas) dump_pragma(text);
  for (const val_exp* assertion : node.asserts) print_assert(scope, assertion);
  for (const def& equation : node.defs) print_def(scope, equation);
  out("tel\n");
}

void dump_func_def(const env& environment, const func_def& func, user_modes modes) {
  out(func.is_unsafe ? "unsafe function " : "function ");
  out(func.name->text());
  out(" (\n");
  if (func.inputs.empty())
    out(no_inputs);
  else
    dump_typed_ident_list(environment, func.inputs, modes);
  out("\n) returns (\n");
  dump_typed_ident_list(environment, func.outputs, modes);
  out("\n);\n");
}

void dump_const_def(const env& environment, const const_def& constant, user_modes modes) {
  out("const ");
  out(constant.name->text());
  if (constant.kind == extern_const) {
    out(" : ");
    dump_type_exp(environment, *constant.type, modes);
  } else {
    out(" = ");
    dump_val_exp(environment, constant.value, modes);
  }
  out(";\n");
}

void dump_type_def(const env& environment, const type_def& type, user_modes modes) {
  switch (type.kind) {
    case extern_type: print_type_head(type); break;
    case aliased_type:
      print_type_head(type);
      out(" = ");
      dump_type_exp(environment, *type.definition, modes);
      break;
    case enum_type: throw Global_error{"enumerate types not implemented"};
    case struct_type:
      print_type_head(type);
      print_struct_fields(environment, *type.info, modes);
      break;
  }
  out(";\n");
}

void dump_val_exp(const env& environment, const val_exp* e, user_modes modes) {
  dump_scope scope(environment, modes);
  print_val_exp(scope, e);
}

void dump_simple_exp(const val_exp* e) { dump_val_exp(empty_env(), e); }

std::string string_of_simple_exp(const val_exp* e) {
  return string_of_exp(empty_env(), e);
}

std::string string_of_exp(const env& environment, const val_exp* e, user_modes modes) {
  std::string text;
  text.reserve(100);
  // The sink goes back to what it was even when printing fails, so that
  // later output is not lost in a string nobody reads.
  struct sink_restorer {
    text_sink saved = out_fn;
    ~sink_restorer() { out_fn = saved; }
  } restorer;
  out_fn = text_sink(text);
  dump_val_exp(environment, e, modes);
  return text;
}

void dump_left(const env& environment, const left& item, user_modes modes) {
  dump_scope scope(environment, modes);
  print_left(scope, item);
}

void dump_def(const env& environment, const def& equation, user_modes modes) {
  dump_scope scope(environment, modes);
  print_def(scope, equation);
}

void dump_assert(const env& environment, const val_exp* assertion, user_modes modes) {
  dump_scope scope(environment, modes);
  print_assert(scope, assertion);
}

void dump_pragma(pragma text) {
  out("--%");
  out(text->text());
  out("\n");
}

std::int64_t search_field_index(const env& environment, std::string_view field) {
  dump_scope scope(environment, {});
  return field_index(scope, field);
}
