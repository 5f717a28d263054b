// Builders of zo trees and packages for unit tests, with the capture of what
// the writer prints.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "arena.h"
#include "errors.h"
#include "output.h"
#include "typingMessages.h"
#include "xzoAst.h"
#include "xzoDump.h"

namespace build {

inline ident id(std::string_view text) { return make_text(run_arena(), text); }

template <typename T>
std::span<const T> seq(std::initializer_list<T> items) {
  return run_arena().copy(std::span<const T>(items.begin(), items.size()));
}

inline const val_exp* var(std::string_view name) { return ident_exp(id(name)); }
inline const val_exp* lit(std::string_view text) {
  return make_val_exp(named_nature(nat_iconst, id(text)), {});
}
inline const val_exp* real_lit(std::string_view text) {
  return make_val_exp(named_nature(nat_rconst, id(text)), {});
}
inline const val_exp* node_of(exp_kind kind, std::initializer_list<const val_exp*> ops) {
  return make_val_exp(kind, std::span<const val_exp* const>(ops.begin(), ops.size()));
}
inline const val_exp* node_of(const exp_nature& nat,
                              std::initializer_list<const val_exp*> ops) {
  return make_val_exp(nat, std::span<const val_exp* const>(ops.begin(), ops.size()));
}
inline const val_exp* call(std::string_view name,
                           std::initializer_list<const val_exp*> ops) {
  return node_of(named_nature(nat_call, id(name)), ops);
}
inline const val_exp* field(const val_exp* record, std::string_view name) {
  return node_of(named_nature(nat_field, id(name)), {record});
}

inline const type_exp* named(std::string_view name) { return make_named_type(id(name)); }

inline const left* left_var(std::string_view name) {
  return run_arena().make<left>(left{.kind = left_id, .name = id(name)});
}
inline def equation(std::initializer_list<const left*> lefts, const val_exp* exp) {
  return def{seq(lefts), exp};
}

inline flow var_flow(std::string_view name, const type_exp* type, ident clock = nullptr) {
  return flow{id(name), type, clock};
}
inline input_flow input(std::string_view name, const type_exp* type) {
  return input_flow{var_input, var_flow(name, type)};
}

inline const struct_info* structure(std::string_view name,
                                    std::initializer_list<typed_ident> fields) {
  auto* info = run_arena().make<struct_info>();
  info->name = id(name);
  for (const typed_ident& f : fields) {
    info->field_names.push_back(f.name);
    info->fields.add(f.name,
                     run_arena().make<field_info>(field_info{f.name, f.type, nullptr}));
  }
  return info;
}

/// A package filled declaration by declaration, in source order.
struct package_builder {
  package pack;

  package_builder& type(const type_def& definition) {
    auto* stored = run_arena().make<type_def>(definition);
    pack.types.add(stored->name, stored);
    pack.items.push_back({type_item, stored->name});
    return *this;
  }
  package_builder& constant(const const_def& definition) {
    auto* stored = run_arena().make<const_def>(definition);
    pack.consts.add(stored->name, stored);
    pack.items.push_back({const_item, stored->name});
    return *this;
  }
  package_builder& function(const func_def& definition) {
    auto* stored = run_arena().make<func_def>(definition);
    pack.opers.add(stored->name, run_arena().make<oper>(oper{func_oper, stored}));
    pack.items.push_back({oper_item, stored->name});
    return *this;
  }
  package_builder& node(const node_def& definition) {
    auto* stored = run_arena().make<node_def>(definition);
    pack.opers.add(stored->name,
                   run_arena().make<oper>(oper{node_oper, nullptr, stored}));
    pack.items.push_back({oper_item, stored->name});
    return *this;
  }
};

}  // namespace build

// A typing failure as za2vu reports it: "Name: message" for a fatal error,
// "function: message" for an internal one, the message alone otherwise.
inline std::string failure_text(const Typing_failure& failure) {
  typing_report report = report_of(failure);
  if (report.shown_as == typing_report::form::error) return report.message;
  return std::string(report.name) + ": " + report.message;
}

/// What a print produced: its text, and the message of the failure that
/// stopped it ("" when none did).
struct print_outcome {
  std::string text;
  std::string failure;
};

// Runs the print with standard output captured.
inline print_outcome print_into_string(const std::function<void()>& print) {
  print_outcome outcome;
  output::flush();
  testing::internal::CaptureStdout();
  struct captured_text {
    std::string& text;
    ~captured_text() {
      output::flush();
      text = testing::internal::GetCapturedStdout();
    }
  };
  try {
    captured_text captured{outcome.text};
    print();
  } catch (const Global_error& failure) {
    outcome.failure = failure.message;
  } catch (const Typing_failure& failure) {
    outcome.failure = failure_text(failure);
  } catch (const Fatal_error& failure) {
    outcome.failure = std::string(failure.name()) + ": " + failure.what();
  } catch (const Internal_error& failure) {
    outcome.failure = failure.function + ": " + failure.message;
  }
  return outcome;
}
