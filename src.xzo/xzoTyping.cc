// Effective types and the environments of a package and of a node: the
// declared types resolved through a memo, and every flow and operator the
// package and the node declare.
#include "xzoTyping.h"

#include <algorithm>

#include "arena.h"
#include "xzoTypingEnv.h"

namespace {

const type_eff bool_type_eff{bool_eff};
const type_eff int_type_eff{int_eff};
const type_eff real_type_eff{real_eff};

const type_eff* make_type_eff(const type_eff& type) {
  return run_arena().make<type_eff>(type);
}

// Resolves the types written in the package into effective types, recording
// the named types it looks up in the environment's memo and declaring the
// constants of the enumeration types it meets.
class resolver {
 public:
  explicit resolver(env& environment) : env_(environment) {}

  const type_eff* of_type_exp(const type_exp& type) {
    switch (type.kind) {
      case bool_type: return &bool_type_eff;
      case int_type: return &int_type_eff;
      case real_type: return &real_type_eff;
      case named_type: return of_type_id(type.name);
      case array_type: {
        std::int64_t size = eval_const_int(type.size);
        const type_eff* element = of_type_exp(*type.element);
        return make_type_eff({.kind = array_eff, .element = element, .size = size});
      }
      case tuple_type: break;
    }
    throw Typing_failure{typing_reason::tuple_type};
  }

  const type_eff* of_type_id(ident name) {
    std::string_view text = name->text();
    if (const type_entry* known = memo_entry(text)) {
      if (known->type == nullptr)
        throw Typing_failure{typing_reason::recursive_type, std::string(text)};
      return known->type;
    }
    // The entry is found again by position: resolving the definition adds
    // entries after it.
    std::size_t position = env_.types.size();
    env_.types.push_back({text, nullptr, env_.resolving_operators});
    env_.type_index.emplace(text, position);
    const type_def* definition = env_.pack->types.find(text);
    if (definition == nullptr)
      throw Typing_failure{typing_reason::undeclared_type, std::string(text)};
    const type_eff* resolved = of_type_info(*definition);
    env_.types[position].type = resolved;
    return resolved;
  }

  const type_eff* of_type_info(const type_def& definition) {
    switch (definition.kind) {
      case extern_type:
        return make_type_eff({.kind = extern_eff, .name = definition.name->text()});
      case aliased_type: return of_type_exp(*definition.definition);
      case enum_type: {
        const type_eff* type = make_type_eff({.kind = enum_eff,
                                              .name = definition.name->text(),
                                              .constants = definition.constants});
        for (ident constant : definition.constants)
          add_flow(env_, type, nullptr, constant);
        return type;
      }
      case struct_type: return of_struct(*definition.info);
    }
    // Reached only by a type definition of a kind outside the four above.
    throw Internal_error{"Typing.type_eff_of_type_info", "unknown type definition"};
  }

 private:
  // A node environment sees the types its package resolved before the
  // operators; those resolved for the operators come after the node's flows
  // in a fresh environment, so the node resolves them again as that would.
  const type_entry* memo_entry(std::string_view text) const {
    auto own = env_.type_index.find(text);
    if (own != env_.type_index.end()) return &env_.types[own->second];
    if (env_.parent == nullptr) return nullptr;
    auto inherited = env_.parent->type_index.find(text);
    if (inherited == env_.parent->type_index.end()) return nullptr;
    const type_entry& entry = env_.parent->types[inherited->second];
    return entry.by_operators ? nullptr : &entry;
  }

  const type_eff* of_struct(const struct_info& info) {
    std::vector<field_eff> fields;
    fields.reserve(info.field_names.size());
    for (ident field_name : info.field_names) {
      const field_info* field = info.fields.find(field_name->text());
      // The reader declares every field it names; a tree built otherwise may not.
      if (field == nullptr)
        throw Internal_error{"Typing.field_eff", "field without declaration"};
      fields.push_back({field_name, of_type_exp(*field->type)});
    }
    return make_type_eff(
        {.kind = struct_eff,
         .name = info.name->text(),
         .fields = run_arena().copy(std::span<const field_eff>(fields))});
  }

  env& env_;
};

void treat_const_decl(env& environment, resolver& types, const const_def& constant) {
  const type_eff* type = nullptr;
  if (constant.type != nullptr) {
    type = types.of_type_exp(*constant.type);
  } else if (constant.value != nullptr) {
    const type_list& value_types = exp_type(environment, constant.value);
    if (value_types.size() != 1) throw Typing_failure{typing_reason::tuple_constant};
    type = value_types[0];
  } else {
    // The reader gives every constant a type or a value; a tree built
    // otherwise may not.
    throw Internal_error{"Typing.treat_const_decl", "constant without type or value"};
  }
  add_flow(environment, type, nullptr, constant.name);
}

void treat_var_decl(env& environment, resolver& types, const flow& variable) {
  add_flow(environment, types.of_type_exp(*variable.type), variable.clock, variable.name);
}

void treat_node_flows(env& environment, const node_def& node) {
  resolver types(environment);
  for (const input_flow& input : node.inputs)
    treat_var_decl(environment, types, input.var);
  for (const flow& output : node.outputs) treat_var_decl(environment, types, output);
  for (const flow& local : node.locals) treat_var_decl(environment, types, local);
}

// Resolves the type of every item into `types`, whose storage serves one
// operator after another.
template <typename Items, typename Type_of>
void resolve_types(const Items& items, Type_of type_of, type_list& types) {
  types.clear();
  for (const auto& item : items) types.push_back(type_of(item));
}

// The scratch lists of the operator signatures being resolved.
struct signature_types {
  type_list inputs;
  type_list outputs;
};

// Outputs are resolved before inputs, which decides the first error reported.
void treat_oper_decl(env& environment, resolver& types, ident name, const oper& operation,
                     signature_types& resolved) {
  if (operation.kind == node_oper) {
    const node_def& node = *operation.node;
    resolve_types(
        node.outputs, [&](const flow& output) { return types.of_type_exp(*output.type); },
        resolved.outputs);
    resolve_types(
        node.inputs,
        [&](const input_flow& input) { return types.of_type_exp(*input.var.type); },
        resolved.inputs);
  } else {
    const func_def& function = *operation.func;
    auto type_of = [&](const typed_ident& item) { return types.of_type_exp(*item.type); };
    resolve_types(function.outputs, type_of, resolved.outputs);
    resolve_types(function.inputs, type_of, resolved.inputs);
  }
  // An operator's signature sits at its position in the operator table; an
  // entry whose name the table places elsewhere repeats an operator.
  const name_table<oper>& opers = environment.pack->opers;
  if (opers.has_repeats() &&
      opers.position_of(name->text()) != environment.oper_sigs.size())
    throw Typing_failure{typing_reason::operator_twice, std::string(name->text())};
  environment.oper_sigs.push_back(
      {environment.kept_list(resolved.inputs), environment.kept_list(resolved.outputs)});
}

}  // namespace

env::env(const package* pack, const env* parent) : pack(pack), parent(parent) {}

void std::default_delete<env>::operator()(env* environment) const { delete environment; }

const flow_entry* env::find_flow(std::string_view name) const {
  if (const flow_entry* found = flows.find(name)) return found;
  return parent == nullptr ? nullptr : parent->find_flow(name);
}

const signature* env::find_oper(std::string_view name) const {
  if (parent != nullptr) return parent->find_oper(name);
  if (pack == nullptr) return nullptr;
  std::size_t position = pack->opers.position_of(name);
  return position < oper_sigs.size() ? &oper_sigs[position] : nullptr;
}

const type_list* env::single(const type_eff* type) const {
  switch (type->kind) {
    case bool_eff: return &bool_list();
    case int_eff: return &int_list();
    case real_eff: return &real_list();
    default: return interned({&type, 1});
  }
}

const type_list* env::kept_list(std::span<const type_eff* const> types) const {
  return types.size() == 1 ? single(types[0]) : interned(types);
}

// Equal lists are kept once: operators, flows and expressions mostly share a
// few of them.
const type_list* env::interned(std::span<const type_eff* const> types) const {
  auto kept = lists.find(types);
  if (kept == lists.end()) kept = lists.emplace(types.begin(), types.end()).first;
  return &*kept;
}

std::size_t type_list_hash::operator()(std::span<const type_eff* const> types) const {
  std::size_t hash = types.size();
  for (const type_eff* type : types)
    hash = hash * 31 + std::hash<const type_eff*>{}(type);
  return hash;
}

namespace {

// Empties the table. Clearing touches every bucket, so the buckets a much
// larger table left are dropped rather than cleared node after node.
template <typename Table>
void empty_table(Table& table) {
  if (table.bucket_count() > 4 * table.size() + 64)
    table = Table();
  else
    table.clear();
}

}  // namespace

void env::clear_node_part() {
  types.clear();
  empty_table(type_index);
  flows.clear();
  exp_types.clear();
  empty_table(lists);
  exp_clocks.clear();
}

void add_flow(env& environment, const type_eff* type, flow_clock on, ident name) {
  std::string_view text = name->text();
  // The insertion is the search of the environment's own flows.
  bool inherited = environment.parent != nullptr && environment.parent->find_flow(text);
  if (inherited ||
      !environment.flows.try_emplace(text, flow_entry{environment.single(type), on})
           .second)
    throw Typing_failure{typing_reason::flow_twice, std::string(text)};
}

const type_list& bool_list() {
  static const type_list shared{&bool_type_eff};
  return shared;
}

const type_list& int_list() {
  static const type_list shared{&int_type_eff};
  return shared;
}

const type_list& real_list() {
  static const type_list shared{&real_type_eff};
  return shared;
}

bool operator==(const type_eff& a, const type_eff& b) {
  if (&a == &b) return true;
  if (a.kind != b.kind || a.name != b.name || a.size != b.size) return false;
  if (!std::equal(a.constants.begin(), a.constants.end(), b.constants.begin(),
                  b.constants.end(),
                  [](ident x, ident y) { return x->text() == y->text(); }))
    return false;
  if (!std::equal(a.fields.begin(), a.fields.end(), b.fields.begin(), b.fields.end(),
                  [](const field_eff& x, const field_eff& y) {
                    return x.name->text() == y.name->text() && *x.type == *y.type;
                  }))
    return false;
  if ((a.element == nullptr) != (b.element == nullptr)) return false;
  return a.element == nullptr || *a.element == *b.element;
}

bool same_types(std::span<const type_eff* const> a, std::span<const type_eff* const> b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [](const type_eff* x, const type_eff* y) { return *x == *y; });
}

std::string string_of_type_eff(const type_eff& type) {
  switch (type.kind) {
    case bool_eff: return "bool";
    case int_eff: return "int";
    case real_eff: return "real";
    case extern_eff: return std::string(type.name) + "(*extern*)";
    case enum_eff: return std::string(type.name) + "(*enum*)";
    case struct_eff: return std::string(type.name) + "(*sruct*)";
    case array_eff:
      return string_of_type_eff(*type.element) + "^" + zoint_of_int(type.size);
  }
  return {};
}

std::string string_of_type_eff_list(std::span<const type_eff* const> types) {
  std::string text;
  for (std::size_t position = 0; position < types.size(); ++position) {
    if (position > 0) text += " * ";
    text += string_of_type_eff(*types[position]);
  }
  return text;
}

// Types, then constants, then the node's flows, then the operators: the order
// decides which of several errors is reported and what a constant may name.
std::unique_ptr<env> get_env(const package& pack, const node_def* node) {
  auto environment = std::make_unique<env>(&pack, nullptr);
  resolver types(*environment);
  for (const auto& declaration : pack.types) types.of_type_info(*declaration.value);
  for (const auto& declaration : pack.consts)
    treat_const_decl(*environment, types, *declaration.value);
  if (node != nullptr) {
    environment->has_node = true;
    treat_node_flows(*environment, *node);
  }
  environment->resolving_operators = true;
  environment->oper_sigs.reserve(pack.opers.size());
  signature_types resolved;
  for (const auto& declaration : pack.opers)
    treat_oper_decl(*environment, types, declaration.name, *declaration.value, resolved);
  environment->resolving_operators = false;
  return environment;
}

// A fresh environment of the node differs from its package's only by the
// node's flows, as long as the package's own environment was built without
// error: the operators then resolved no enumeration by name (its constants,
// declared with the types, would have been declared twice), so they declared
// no flow a node flow could meet, and they raise nothing whatever the memo
// holds, since a memo only spares resolutions that succeed. The node's flows
// are resolved seeing only what the types and constants resolved, as in a
// fresh environment, where the operators come after them.
std::unique_ptr<env> get_node_env(const env& package_env, const node_def& node) {
  if (package_env.pack == nullptr || package_env.parent != nullptr ||
      package_env.has_node)
    throw Internal_error{"Typing.get_node_env", "not the environment of a package"};
  auto environment = std::make_unique<env>(package_env.pack, &package_env);
  environment->has_node = true;
  treat_node_flows(*environment, node);
  return environment;
}

void renew_node_env(std::unique_ptr<env>& node_env, const env& package_env,
                    const node_def& node) {
  if (node_env == nullptr || node_env->parent != &package_env ||
      node_env->pack != package_env.pack) {
    node_env = get_node_env(package_env, node);
    return;
  }
  node_env->clear_node_part();
  treat_node_flows(*node_env, node);
}

const type_eff* resolve_type(env& environment, const type_exp& type) {
  resolver types(environment);
  return types.of_type_exp(type);
}

std::unique_ptr<env> make_empty_env() { return std::make_unique<env>(nullptr, nullptr); }

std::unique_ptr<env> make_bare_env(const package& pack) {
  return std::make_unique<env>(&pack, nullptr);
}

std::unique_ptr<env> make_bare_node_env(const env& package_env) {
  auto environment = std::make_unique<env>(package_env.pack, &package_env);
  environment->has_node = true;
  return environment;
}

void add_signature(env& environment, std::span<const type_eff* const> inputs,
                   std::span<const type_eff* const> outputs) {
  environment.oper_sigs.push_back(
      {environment.kept_list(inputs), environment.kept_list(outputs)});
}

const signature* find_signature(const env& environment, std::string_view name) {
  return environment.find_oper(name);
}

bool declares_flow(const env& environment, std::string_view name) {
  return environment.find_flow(name) != nullptr;
}

void settle_failed_types(env& environment, const type_eff* type) {
  for (type_entry& entry : environment.types)
    if (entry.type == nullptr) entry.type = type;
}

const type_list* single_list(const env& environment, const type_eff* type) {
  return environment.single(type);
}

const type_list* kept_list(const env& environment,
                           std::span<const type_eff* const> types) {
  return environment.kept_list(types);
}

void declare_flow(env& environment, const type_eff& type, flow_clock on, ident name) {
  add_flow(environment, make_type_eff(type), on, name);
}

const type_exp* type_exp_of_type_eff(const type_eff& type) {
  switch (type.kind) {
    case bool_eff: return bool_type_exp();
    case int_eff: return int_type_exp();
    case real_eff: return real_type_exp();
    case extern_eff:
    case enum_eff:
    case struct_eff: return make_named_type(make_text(run_arena(), type.name));
    case array_eff:
      return make_array_type(type_exp_of_type_eff(*type.element), int_exp(type.size));
  }
  // Reached only by an effective type of a kind outside the seven above.
  throw Internal_error{"Typing.type_exp_of_type_eff", "unknown type"};
}

// A node environment walks the types in the order a fresh one would have
// resolved them: its package's types and constants, its own flows, then what
// the operators resolved that the flows had not.
void iter_on_types(const env& environment,
                   const std::function<void(std::string_view, const type_eff&)>& action) {
  auto walk = [&](const env& source, auto keep) {
    for (const type_entry& entry : source.types)
      if (entry.type != nullptr && keep(entry)) action(entry.name, *entry.type);
  };
  if (environment.parent == nullptr) {
    walk(environment, [](const type_entry&) { return true; });
    return;
  }
  walk(*environment.parent, [](const type_entry& entry) { return !entry.by_operators; });
  walk(environment, [](const type_entry&) { return true; });
  walk(*environment.parent, [&](const type_entry& entry) {
    return entry.by_operators && environment.type_index.count(entry.name) == 0;
  });
}

std::int64_t eval_const_int(const val_exp* e) {
  if (e->kind() != nat_iconst || !e->ops().empty())
    throw Typing_failure{typing_reason::size_not_literal};
  return int_of_zoint(e->name()->text());
}
