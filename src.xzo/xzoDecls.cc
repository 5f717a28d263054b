#include "xzoDecls.h"

#include <string>

#include "arena.h"

void report_repeated(const char* kind, ident name) {
  throw Compile_error{position_of(name), std::string("bad ") + kind +
                                             " declaration, ident already declared"};
}

// The declaration is recorded only once its name is accepted, so a rejected
// declaration leaves no item behind.
void add_constant(package& pack, ident name, const const_def* information,
                  repeat_record* repeats) {
  if (add_info(pack.consts, "constant", name, information, repeats))
    pack.items.push_back({const_item, name});
}

void add_type(package& pack, ident name, const type_def* information,
              repeat_record* repeats) {
  if (add_info(pack.types, "type", name, information, repeats))
    pack.items.push_back({type_item, name});
}

void add_oper(package& pack, ident name, const oper* information,
              repeat_record* repeats) {
  if (add_info(pack.opers, "operator", name, information, repeats))
    pack.items.push_back({oper_item, name});
}

void treat_external_type_list(package& pack, std::span<const ident> names,
                              repeat_record* repeats) {
  for (ident name : names)
    add_type(pack, name, run_arena().make<type_def>(type_def{extern_type, name}),
             repeats);
}

void treat_aliased_type(package& pack, ident name, const type_exp* definition,
                        repeat_record* repeats) {
  add_type(pack, name,
           run_arena().make<type_def>(type_def{aliased_type, name, definition}), repeats);
}

void treat_enum_type(package& pack, ident name, std::span<const ident> constants,
                     repeat_record* repeats) {
  add_type(pack, name,
           run_arena().make<type_def>(
               type_def{enum_type, name, nullptr, run_arena().copy(constants)}),
           repeats);
}

void treat_struct_type(package& pack, ident name, std::span<const field_info> fields,
                       repeat_record* repeats) {
  const struct_info* info = make_struct_type_info(name, fields, repeats);
  add_type(pack, name,
           run_arena().make<type_def>(type_def{struct_type, name, nullptr, {}, info}),
           repeats);
}

const struct_info* make_struct_type_info(ident name, std::span<const field_info> fields,
                                         repeat_record* repeats) {
  struct_info* info = run_arena().make<struct_info>();
  info->name = name;
  info->field_names.reserve(fields.size());
  for (const field_info& field : fields)
    if (ident entered = put_in_ftab(info->fields, field, repeats))
      info->field_names.push_back(entered);
  return info;
}

ident put_in_ftab(name_table<field_info>& table, const field_info& field,
                  repeat_record* repeats) {
  if (!add_info(table, "field", field.name, run_arena().make<field_info>(field), repeats))
    return nullptr;
  return field.name;
}

flow add_type_n_clock_to_var(const type_exp* type, ident clock, ident name) {
  return {name, type, clock};
}

typed_ident add_type_to_var(const type_exp* type, ident name) { return {name, type}; }
