// The declaration tables filled while a file is read: constants, types and
// operators entered by name as soon as each declaration is complete, with the
// check that no name is declared twice in one table or one structure.
#pragma once

#include <span>
#include <vector>

#include "errors.h"
#include "xzoAst.h"

/// A name declared a second time in one table or one structure.
struct repeated_declaration {
  const char* kind;  // "constant", "type", "operator" or "field"
  ident name;        // the repeated occurrence
};

/// The repeated declarations of a reading that goes on past them, in the
/// order read.
using repeat_record = std::vector<repeated_declaration>;

/// Fails with the `Compile_error` of a name declared twice, placed at `name`.
[[noreturn]] void report_repeated(const char* kind, ident name);

/// Enters name -> information into the table and says whether it did. When the
/// table already holds the name, it is left unchanged and the repeat is
/// recorded in `repeats`, or, without a record, fails with `Compile_error` at
/// the name. Every function below treats repeats so.
template <typename T>
bool add_info(name_table<T>& table, const char* kind, ident name, const T* information,
              repeat_record* repeats = nullptr) {
  if (table.add_new(name, information)) return true;
  if (repeats == nullptr) report_repeated(kind, name);
  repeats->push_back({kind, name});
  return false;
}

/// Enters a constant and records its declaration; fails as `add_info`.
void add_constant(package& pack, ident name, const const_def* information,
                  repeat_record* repeats = nullptr);

/// Enters a type and records its declaration; fails as `add_info`.
void add_type(package& pack, ident name, const type_def* information,
              repeat_record* repeats = nullptr);

/// Enters a function or node and records its declaration; fails as `add_info`.
void add_oper(package& pack, ident name, const oper* information,
              repeat_record* repeats = nullptr);

/// Enters each name, in order, as an external type; fails at the first
/// repeated one.
void treat_external_type_list(package& pack, std::span<const ident> names,
                              repeat_record* repeats = nullptr);

/// Enters an alias; fails as `add_info`.
void treat_aliased_type(package& pack, ident name, const type_exp* definition,
                        repeat_record* repeats = nullptr);

/// Enters an enumeration, whose constants enter no table; fails as `add_info`.
void treat_enum_type(package& pack, ident name, std::span<const ident> constants,
                     repeat_record* repeats = nullptr);

/// Enters a structure after its fields; fails at a repeated field (then no
/// type is entered) or at a repeated type name.
void treat_struct_type(package& pack, ident name, std::span<const field_info> fields,
                       repeat_record* repeats = nullptr);

/// The structure's description with its fields entered in order; fails with
/// `Compile_error` at a repeated field.
const struct_info* make_struct_type_info(ident name, std::span<const field_info> fields,
                                         repeat_record* repeats = nullptr);

/// Enters one field and gives its name, or null when its repeat was recorded;
/// fails as `add_info`.
ident put_in_ftab(name_table<field_info>& table, const field_info& field,
                  repeat_record* repeats = nullptr);

/// The flow of that name, type and clock (null for the base clock).
flow add_type_n_clock_to_var(const type_exp* type, ident clock, ident name);

/// The pair of that name and type.
typed_ident add_type_to_var(const type_exp* type, ident name);
