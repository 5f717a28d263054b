// Private to typing and its tests: the inside of a typing environment, shared
// by the two halves of typing (the resolution of declarations and the typing
// of expressions), and the text of a list of types.
#pragma once

#include <algorithm>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "flat_map.h"
#include "xzoTyping.h"

/// A declared flow: its type as a one-element list, so that naming the flow
/// types as that list, and its clock.
struct flow_entry {
  const type_list* type;
  flow_clock on;
};

/// A named type the environment has looked up: null while it is being resolved.
/// `by_operators` marks what a package environment resolved for the operator
/// signatures, which a node's own flows come before.
struct type_entry {
  std::string_view name;
  const type_eff* type;
  bool by_operators;
};

/// Hashes type lists, and spans of types, by the addresses of their types.
struct type_list_hash {
  using is_transparent = void;
  std::size_t operator()(std::span<const type_eff* const> types) const;
};

/// Compares type lists, and spans of types, by the addresses of their types.
struct type_list_equal {
  using is_transparent = void;
  bool operator()(std::span<const type_eff* const> a,
                  std::span<const type_eff* const> b) const {
    return std::equal(a.begin(), a.end(), b.begin(), b.end());
  }
};

class env {
 public:
  env(const package* pack, const env* parent);

  /// The package whose declarations are resolved; null for the empty environment.
  const package* pack;
  /// The package environment a node environment is built on, or null.
  const env* parent;
  /// Whether the flows of a node are declared.
  bool has_node = false;
  /// Set while the operator signatures are resolved.
  bool resolving_operators = false;

  std::vector<type_entry> types;  // in the order first looked up
  std::unordered_map<std::string_view, std::size_t> type_index;
  flat_map<std::string_view, flow_entry, short_text_hash> flows;
  // The operators' signatures, in the order of the package's operator table.
  std::vector<signature> oper_sigs;

  // What was typed already: trees never change and a flow, once declared,
  // keeps its type and clock, so an answer once given stays right.
  mutable flat_map<const val_exp*, const type_list*> exp_types;
  // The lists those answers, the flows and the signatures point to, when not
  // a basic type's own.
  mutable std::unordered_set<type_list, type_list_hash, type_list_equal> lists;
  mutable flat_map<const val_exp*, flow_clock> exp_clocks;

  const flow_entry* find_flow(std::string_view name) const;
  const signature* find_oper(std::string_view name) const;
  /// The list holding just that type, shared by everything of that type.
  const type_list* single(const type_eff* type) const;
  /// A list equal to `types` that lives as long as the environment.
  const type_list* kept_list(std::span<const type_eff* const> types) const;
  /// Forgets the node's flows, types and answers, keeping the storage.
  void clear_node_part();

 private:
  const type_list* interned(std::span<const type_eff* const> types) const;
};

/// "" for none, the single type, or the types joined with " * ". No program
/// prints a list of types: this completes the text of typing's types for the
/// tuple types a call gives, and its tests.
std::string string_of_type_eff_list(std::span<const type_eff* const> types);
