#include "xzoPlaces.h"

#include <algorithm>

#include "xzoDecls.h"

const val_exp* reading_places::placed(const val_exp* fresh, const lexeme& first,
                                      const lexeme& last) {
  if (fresh->kind() == nat_call && called_.try_emplace(fresh->name(), true).second)
    calls_.push_back(fresh->name());
  if (in_body_) return fresh;
  // Past the largest number a node holds, nodes go without own place.
  if (count_ >= val_exp::max_place_id) return fresh;
  auto distance = static_cast<std::uint32_t>(std::clamp(last.line - first.line, 0, 255));
  if (count_ % block_size == 0)
    blocks_.push_back(std::make_unique_for_overwrite<packed_tokens[]>(block_size));
  blocks_.back()[count_ % block_size] = {
      static_cast<std::uint32_t>(first.line), static_cast<std::uint32_t>(first.cstart),
      static_cast<std::uint32_t>(last.cend) << 8 | distance};
  return with_place_id(fresh, ++count_);
}

const val_exp* reading_places::leaf(exp_kind kind, const lexeme& token,
                                    leaf_table& leaves, position_store& positions) {
  if (in_body_) return leaves.leaf(kind, token);
  if (count_ >= val_exp::max_place_id)
    return make_val_exp(named_nature(kind, store_add(positions, token)), {});
  // The shared leaf's text: the shared leaf of a literal has the literal's kind.
  return placed(make_val_exp(named_nature(kind, leaves.leaf(kind, token)->name()), {}),
                token);
}

void reading_places::node_read(ident name, const lexeme& keyword) {
  in_body_ = false;
  if (stop_after_node_) throw one_node_read{};
  starts_.try_emplace(name, {keyword.line, keyword.cstart});
}

ident reading_places::name(const lexeme& token, leaf_table& leaves,
                           position_store& positions) {
  if (in_body_) return leaves.name(token);
  return store_add(positions, token);
}

const left* reading_places::left_id(const lexeme& token, leaf_table& leaves,
                                    position_store& positions) {
  if (in_body_) {
    // Found by the shared name, apart from the lefts that the reader without
    // places finds inline.
    ident name = leaves.name(token);
    auto [shared, added] = shared_lefts_.try_emplace(name, nullptr);
    if (added) *shared = left_id_of(name);
    return *shared;
  }
  return left_id_of(store_add(positions, token));
}

const type_exp* reading_places::named_type(const lexeme& token, leaf_table& leaves,
                                           position_store& positions) {
  if (in_locals_) return leaves.named_type(leaves.name(token));
  return make_named_type(store_add(positions, token));
}

const val_exp* reading_places::boolean(const val_exp* shared, const lexeme& token) {
  if (in_body_) return shared;
  return placed(make_val_exp(shared->kind(), {}), token);
}

text_span reading_places::own_tokens(const val_exp* e) const {
  std::uint32_t id = e->place_id();
  if (id == 0 || id > count_) return {};
  const packed_tokens& kept = blocks_[(id - 1) / block_size][(id - 1) % block_size];
  int line = static_cast<int>(kept.line);
  return {line, static_cast<int>(kept.cstart), line + static_cast<int>(kept.end & 0xff),
          static_cast<int>(kept.end >> 8)};
}

text_span span_of_text(const text_object* text) {
  lexeme position = position_of(text);
  if (position.line == 0) return {};
  return {position.line, position.cstart, position.line, position.cend};
}

namespace {

bool before(int line, int column, int other_line, int other_column) {
  return line < other_line || (line == other_line && column < other_column);
}

// Widens `span` to hold `part`.
void widen(text_span& span, const text_span& part) {
  if (part.line == 0) return;
  if (span.line == 0) {
    span = part;
    return;
  }
  if (before(part.line, part.cstart, span.line, span.cstart)) {
    span.line = part.line;
    span.cstart = part.cstart;
  }
  if (before(span.end_line, span.cend, part.end_line, part.cend)) {
    span.end_line = part.end_line;
    span.cend = part.cend;
  }
}

// The places a node shows by itself: its own tokens and its name's text.
text_span own_span(const reading_places& places, const val_exp* e) {
  text_span span = places.own_tokens(e);
  switch (facts_of(e->kind()).payload) {
    case exp_payload::name: widen(span, span_of_text(e->name())); break;
    case exp_payload::cons: widen(span, span_of_text(e->cons().type_name)); break;
    default: break;
  }
  return span;
}

}  // namespace

// The first token is found down the first operands, the last one down the
// last operands: two walks along the edges of the tree, without recursion.
text_span span_of(const reading_places& places, const val_exp* e) {
  text_span span;
  for (const val_exp* at = e; at != nullptr;
       at = at->ops().empty() ? nullptr : at->ops().front())
    widen(span, own_span(places, at));
  for (const val_exp* at = e; at != nullptr;
       at = at->ops().empty() ? nullptr : at->ops().back())
    widen(span, own_span(places, at));
  return span;
}
