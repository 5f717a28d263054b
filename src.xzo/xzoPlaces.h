// The places a reader keeps when it is asked to: the tokens of every
// expression node, so that a diagnostic can point at an operator or a whole
// expression, and the declarations found repeated, so that reading goes on
// after them. A reader that is not asked keeps nothing and shares its leaves;
// one that is shares the texts of its leaves. A reader may also keep the
// places of node bodies only where each node starts, sharing what the bodies
// hold as the reader without places does: the node is read again, with every
// place, when a diagnostic wants one.
#pragma once

#include <bitset>
#include <cstdint>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

#include "flat_map.h"
#include "lexeme.h"
#include "xzoAst.h"
#include "xzoBuild.h"
#include "xzoDecls.h"
#include "xzoLexer.h"

/// A stretch of the text: from (line, cstart) to (end_line, cend), columns
/// 1-based and inclusive. Line 0 is no place.
struct text_span {
  int line = 0;
  int cstart = 0;
  int end_line = 0;
  int cend = 0;
};

/// Where a node's declaration starts: its keyword's line and column.
struct node_start {
  int line;
  int column;
};

/// What the parser could read where a syntax error stopped it.
struct syntax_expectations {
  /// The token kinds it could read there.
  std::bitset<token_kind_count> expected;
  /// The kinds after which it could go on with the token it stopped at.
  std::bitset<token_kind_count> before_stop;
  /// The kind of the token it stopped at: TK_EOF at the end of the text,
  /// where the last position made is the token before.
  token_kind stopped = TK_EOF;
};

/// Ends the reading of one node read again, once it is read.
struct one_node_read {};

class reading_places {
 public:
  /// Whether the places inside node bodies are kept, or only where each node
  /// starts.
  enum class bodies { placed, shared };
  explicit reading_places(bodies kept = bodies::placed)
      : share_bodies_(kept == bodies::shared) {}

  /// Records the stretch from `first` to `last`, the node's own tokens, for a
  /// node no one else holds yet, and gives the node back.
  [[gnu::cold]] const val_exp* placed(const val_exp* fresh, const lexeme& first,
                                      const lexeme& last);
  const val_exp* placed(const val_exp* fresh, const lexeme& token) {
    return placed(fresh, token, token);
  }
  /// A leaf of its own for the token, whose place is kept here while there is
  /// room, its text shared through `leaves`; past that, with a text of its
  /// own that holds the place.
  [[gnu::cold]] const val_exp* leaf(exp_kind kind, const lexeme& token,
                                    leaf_table& leaves, position_store& positions);
  /// The name with the token's text: with its position, unless shared.
  [[gnu::cold]] ident name(const lexeme& token, leaf_table& leaves,
                           position_store& positions);
  /// The left that is the variable named by the token: one of its own, with
  /// the name's position, unless shared.
  [[gnu::cold]] const left* left_id(const lexeme& token, leaf_table& leaves,
                                    position_store& positions);
  /// The shared Boolean constant, or a node of its own placed at the token.
  [[gnu::cold]] const val_exp* boolean(const val_exp* shared, const lexeme& token);

  /// The type named by the token: one of its own, with the name's position,
  /// unless shared.
  [[gnu::cold]] const type_exp* named_type(const lexeme& token, leaf_table& leaves,
                                           position_store& positions);

  /// What the reader reads from here on is a node's locals: their types are
  /// shared when the bodies are (the check of the node finds them).
  void locals_start() { in_locals_ = share_bodies_; }
  /// What the reader reads from here on is a node's body, up to `node_read`:
  /// without places, its leaves, names and lefts shared, when the bodies are.
  void body_starts() {
    in_locals_ = false;
    in_body_ = share_bodies_;
  }
  /// Records where the node just read, declared as `name`, starts: at
  /// `keyword`. Fails with `one_node_read` when the places are to hold that
  /// node alone.
  [[gnu::cold]] void node_read(ident name, const lexeme& keyword);
  /// The places are for one node read again: reading stops after it.
  void stop_after_one_node() { stop_after_node_ = true; }
  /// Where the node starts; null for a node not recorded.
  const node_start* start_of(const node_def& node) const {
    return starts_.find(node.name);
  }
  /// Whether node bodies were read without their places.
  bool bodies_shared() const { return share_bodies_; }
  /// The stretch of the node's own tokens; line 0 when none was recorded.
  text_span own_tokens(const val_exp* e) const;

  /// The names of the operators called, in the order read: each name text
  /// object once, so that a name shared by the calls of a body comes once.
  std::span<const ident> calls() const { return calls_; }

  /// Records what the parser could read where a syntax error stopped it.
  void stopped_expecting(const syntax_expectations& found) { expectations_ = found; }
  /// What it could read there; nothing before a syntax error.
  const syntax_expectations& expectations() const { return expectations_; }

  /// Where the reader records the repeated declarations.
  repeat_record& repeats_found() { return repeats_; }
  /// The repeated declarations, in the order read.
  std::span<const repeated_declaration> repeats() const { return repeats_; }

 private:
  // Twelve bytes a node: the first token's line and column, and the last
  // token's column with its distance in lines (at most 255) above them.
  struct packed_tokens {
    std::uint32_t line;
    std::uint32_t cstart;
    std::uint32_t end;  // cend << 8 | line distance
  };
  // In blocks, so that growing copies nothing and leaves no room unused.
  static constexpr std::uint32_t block_size = std::uint32_t{1} << 14;
  std::vector<std::unique_ptr<packed_tokens[]>> blocks_;
  std::uint32_t count_ = 0;
  repeat_record repeats_;
  std::vector<ident> calls_;
  flat_map<ident, bool> called_;
  // The lefts of the bodies read without places, one a name.
  flat_map<ident, const left*> shared_lefts_;
  bool share_bodies_;
  bool in_locals_ = false;
  bool in_body_ = false;
  bool stop_after_node_ = false;
  flat_map<ident, node_start> starts_;
  syntax_expectations expectations_;
};

/// The stretch of a name, literal or annotation from where it was read; line
/// 0 for a text without position.
text_span span_of_text(const text_object* text);

/// The stretch of an expression from its first token to its last, as far as
/// the places and its names show them (a closing parenthesis around it is not
/// part of it).
text_span span_of(const reading_places& places, const val_exp* e);
