#include "zoGenerator.h"

#include <cctype>
#include <string_view>

// The seed is mixed into the default state by a multiplication with an odd
// constant, so that nearby seeds start far apart; the state of an xorshift
// sequence must not be 0, which the mix never gives for the default state.
random_choices::random_choices(std::uint64_t seed)
    : state_(88172645463325252ULL ^ seed * 0x9E3779B97F4A7C15ULL) {
  if (state_ == 0) state_ = 88172645463325252ULL;
}

unsigned random_choices::pick(unsigned bound) {
  state_ ^= state_ << 13;
  state_ ^= state_ >> 7;
  state_ ^= state_ << 17;
  return static_cast<unsigned>(state_ % bound);
}

unsigned byte_choices::next_byte() { return used_ < bytes_.size() ? bytes_[used_++] : 0; }

unsigned byte_choices::pick(unsigned bound) {
  if (bound <= 1) return 0;
  unsigned value = next_byte();
  if (bound > 256) value = value << 8 | next_byte();
  return value % bound;
}

// The flows a node has defined so far, by type: an equation reads only
// these (or anything under `pre`), so that no definition is cyclic.
struct zo_generator::flows {
  std::vector<std::string> ints{"speed", "limit"};
  std::vector<std::string> reals{"gain"};
  std::vector<std::string> bools{"enable"};
};

// The short name given to each long one, in order of first use: 1 to 3
// characters that are no keyword, not PROPERTY and no node name.
std::string zo_generator::short_name(const std::string& name) {
  auto [place, added] = short_names_given_.try_emplace(name);
  if (!added) return place->second;
  static const std::string_view firsts =
      "abcdefghijklmoqrstuvwxyzABCDEFGHIJKLMOQRSTUVWXYZ";
  static const std::string_view others =
      "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_";
  static const std::string_view reserved[] = {"if",  "or",  "of",  "and", "div",
                                              "mod", "int", "let", "nor", "not",
                                              "pre", "tel", "var", "xor"};
  for (;;) {
    std::size_t code = next_short_name_++;
    std::string candidate(1, firsts[code % firsts.size()]);
    code /= firsts.size();
    if (code > 0) {
      --code;
      if (code >= others.size())
        candidate += others[(code / others.size() - 1) % others.size()];
      candidate += others[code % others.size()];
    }
    bool taken = false;
    for (std::string_view word : reserved) taken = taken || candidate == word;
    if (!taken) return place->second = candidate;
  }
}

// The text with every name replaced by its short name, but keywords, node
// names, PROPERTY and the letters inside numbers.
std::string zo_generator::shortened(const std::string& input) {
  static const std::string_view kept[] = {
      "and",   "assert", "bool", "const", "current", "div",  "else",     "enum",
      "false", "if",     "int",  "let",   "mod",     "node", "function", "unsafe",
      "not",   "or",     "pre",  "real",  "returns", "tel",  "type",     "struct",
      "step",  "then",   "true", "var",   "when",    "xor",  "PROPERTY"};
  auto word_byte = [](char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
  };
  std::string output;
  for (std::size_t at = 0; at < input.size();) {
    char c = input[at];
    if (std::isdigit(static_cast<unsigned char>(c))) {
      std::size_t end = at;
      while (end < input.size() && (word_byte(input[end]) || input[end] == '.')) ++end;
      output.append(input, at, end - at);
      at = end;
    } else if (word_byte(c)) {
      std::size_t end = at;
      while (end < input.size() && word_byte(input[end])) ++end;
      std::string word = input.substr(at, end - at);
      bool node_name = (c == 'P' || c == 'N') && word.size() > 1 &&
                       std::isdigit(static_cast<unsigned char>(word[1]));
      bool keep = node_name;
      for (std::string_view keyword : kept) keep = keep || word == keyword;
      output += keep ? word : short_name(word);
      at = end;
    } else {
      output += c;
      ++at;
    }
  }
  return output;
}

std::string zo_generator::finished(std::string text) {
  return shape_.short_names ? shortened(text) : text;
}

const std::string& zo_generator::any(const std::vector<std::string>& names) {
  return names[pick(static_cast<unsigned>(names.size()))];
}

std::string zo_generator::number(unsigned bound) { return std::to_string(pick(bound)); }

std::string zo_generator::constant() { return "k" + number(shape_.constants); }

// A divisor is never 0: a literal from 1 on, or a constant from k1 on (k0 is 0).
std::string zo_generator::divisor() {
  return pick(2) == 0 ? std::to_string(1 + pick(99))
                      : "k" + std::to_string(1 + pick(shape_.constants - 1));
}

std::string zo_generator::int_expression(const flows& known, int depth) {
  if (depth == 0) {
    switch (pick(5)) {
      case 0: return number(1000);
      case 1: return constant();
      default: return any(known.ints);
    }
  }
  static const char* const operators[] = {"+", "-", "*", "+", "-"};
  switch (pick(8)) {
    case 0: return "pre " + any(known.ints);
    case 1: return "(" + int_expression(known, depth - 1) + ")";
    case 2: return "-" + any(known.ints);
    case 3:
      return int_expression(known, depth - 1) + (pick(2) ? " div " : " mod ") + divisor();
    default:
      return int_expression(known, depth - 1) + " " + operators[pick(5)] + " " +
             int_expression(known, depth - 1);
  }
}

std::string zo_generator::bool_expression(const flows& known) {
  switch (pick(4)) {
    case 0:
      return any(known.ints) + " > " + any(known.ints) + " and not " + any(known.bools);
    case 1:
      return "(" + any(known.ints) + " <> " + any(known.ints) + ") xor (" +
             any(known.reals) + " > 0.5)";
    case 2:
      return "true and (" + any(known.bools) + " or false) => not not " +
             any(known.bools);
    default:
      return "false -> pre " + any(known.bools) + " or " + any(known.ints) + " <= k7";
  }
}

std::string zo_generator::real_expression(const flows& known) {
  switch (pick(3)) {
    case 0: return "real " + any(known.ints) + " * 2.5 + " + any(known.reals) + " / 4.0";
    case 1: return "0.0 -> pre " + any(known.reals) + " - 1.0e-3";
    default: return "if " + any(known.bools) + " then " + any(known.reals) + " else RATE";
  }
}

// An int expression that nests one construct `levels` times.
std::string zo_generator::deep_int(const flows& known, unsigned levels) {
  std::string text;
  switch (pick(7)) {
    case 0:
      text = "(" + any(known.ints) + ")";
      for (unsigned level = 1; level < levels; ++level) text = "(" + text + ")";
      return text;
    case 1:
      text = any(known.ints);
      for (unsigned level = 0; level < levels; ++level)
        text = "(" + any(known.ints) + (level % 2 ? " + " : " - ") + text + ")";
      return text;
    case 2:
      text = any(known.ints);
      for (unsigned level = 0; level < levels; ++level) text = "pre " + text;
      return text;
    case 3:
      text = any(known.ints);
      for (unsigned level = 0; level < levels; ++level) text += " -> " + any(known.ints);
      return text;
    case 4:
      for (unsigned level = 1; level <= levels; ++level) {
        std::string value = std::to_string(level);
        text += "if " + any(known.ints) + " = " + value + " then " + value + " else ";
      }
      return text + "0";
    case 5:
      for (unsigned level = 0; level < levels; ++level) text += "- ";
      return text + any(known.ints);
    default:
      text = "1";
      for (unsigned level = 0; level < levels; ++level) text += " + " + number(10);
      return text;
  }
}

// A Boolean expression that nests `not` or a right-grouped `=` `levels` times.
std::string zo_generator::deep_bool(const flows& known, unsigned levels) {
  std::string text;
  if (pick(2) == 0) {
    for (unsigned level = 0; level < levels; ++level) text += "not ";
    return text + any(known.bools);
  }
  text = any(known.bools);
  for (unsigned level = 0; level < levels; ++level) text += " = " + any(known.bools);
  return text;
}

std::string zo_generator::declarations() {
  std::string text = "-- generated zo program\n";
  text += "type Handle;\ntype Count = int;\n";
  text += "type Pair = struct {first : int; second : real};\n";
  text += "const RATE = 0.5;\n";
  for (unsigned k = 0; k < shape_.constants; ++k)
    text += "const k" + std::to_string(k) + " : int = " + std::to_string(k * 7) + ";\n";
  for (unsigned f = 0; f < shape_.functions; ++f)
    text += "function F" + std::to_string(f) + " (a : int; b : int) returns (r : int);\n";
  text += "function Open (n : int) returns (h : Handle);\n";
  text += "unsafe function Size (h : Handle) returns (n : int);\n";
  text += "function Weight (p : Pair) returns (n : int);\n\n";
  return finished(std::move(text));
}

// A node's declarations are known only once its equations are drawn, so the
// body is written first into `body` and the locals after it.
std::string zo_generator::node(int index) {
  const bool plain = index % 2 == 0;
  // Appended, not prepended: g++ 12 warns falsely on an inlined prepend.
  std::string name(plain ? "P" : "N");
  name += std::to_string(index);
  flows known;
  std::string locals, body;
  int local_count = 0;
  auto fresh = [&](const char* prefix) { return prefix + std::to_string(local_count++); };
  auto declare = [&](const std::string& local, const std::string& type) {
    locals += "  " + local + " : " + type + ";\n";
  };
  auto define = [&](std::vector<std::string>& names, const char* prefix,
                    const std::string& type) {
    std::string local = fresh(prefix);
    declare(local, type);
    names.push_back(local);
    return local;
  };
  auto equation = [&](const std::string& left, const std::string& right) {
    body += "  " + left + " = " + right + ";\n";
  };

  // The deep shapes, each `levels` deep: a nested expression; aliases listed
  // first to last; a chain of increments whose assertions are listed last link
  // first; a run of property annotations.
  auto deep_step = [&](unsigned shape, unsigned levels) {
    switch (shape) {
      case 0: {
        std::string right = deep_int(known, levels);
        equation(define(known.ints, "deep_", "int"), right);
        break;
      }
      case 1: {
        std::string right = deep_bool(known, levels);
        equation(define(known.bools, "deep_", "bool"), right);
        break;
      }
      case 2: {
        std::string last = any(known.ints);
        std::vector<std::string> chain;
        for (unsigned level = 0; level <= levels; ++level)
          chain.push_back(fresh("alias_"));
        for (unsigned level = 0; level <= levels; ++level) {
          declare(chain[level], "int");
          equation(chain[level], level < levels ? chain[level + 1] : last);
        }
        known.ints.insert(known.ints.end(), chain.begin(), chain.end());
        break;
      }
      case 3: {
        std::vector<std::string> chain{any(known.ints)};
        for (unsigned level = 0; level < levels; ++level) chain.push_back(fresh("link_"));
        for (unsigned level = levels; level > 0; --level)
          body += "  assert " + chain[level] + " > " + chain[level - 1] + ";\n";
        for (unsigned level = 1; level <= levels; ++level) {
          declare(chain[level], "int");
          equation(chain[level], chain[level - 1] + " + 1");
        }
        known.ints.insert(known.ints.end(), chain.begin() + 1, chain.end());
        break;
      }
      default:
        for (unsigned level = 0; level < levels; ++level)
          body += "  --%PROPERTY " + any(known.bools) + " or ok;\n";
        break;
    }
  };
  constexpr unsigned deep_shapes = 5;

  body += "  --%PROPERTY ok or not enable;\n";
  body += "  assert speed >= 0 and not enable or limit < 100;\n";
  const unsigned kinds = plain ? 10 : 12;
  const int equations =
      static_cast<int>(shape_.least_equations + pick(shape_.more_equations + 1));
  for (int count = 0; count < equations; ++count) {
    unsigned kind = pick(kinds + (shape_.deep_shapes ? deep_shapes : 0));
    if (kind >= kinds) {
      unsigned shape = kind - kinds;
      deep_step(shape, 1 + pick(shape_.deepest));
      continue;
    }
    switch (kind) {
      case 0: {
        std::string right = int_expression(known, 3);
        equation(define(known.ints, "count_", pick(3) ? "int" : "Count"), right);
        break;
      }
      case 1: {
        std::string local = "count_" + std::to_string(local_count);
        std::string right = "0 -> pre " + local + " + " + int_expression(known, 1);
        equation(define(known.ints, "count_", "int"), right);
        break;
      }
      case 2: {
        std::string right = any(known.ints);
        equation(define(known.ints, "alias_", "int"), right);
        break;
      }
      case 3: {
        std::string right = "if " + any(known.bools) + " then " +
                            int_expression(known, 1) + " else " + any(known.ints);
        equation(define(known.ints, "count_", "int"), right);
        break;
      }
      case 4: {
        std::string right = real_expression(known);
        equation(define(known.reals, "ratio_", "real"), right);
        break;
      }
      case 5: {
        std::string right = bool_expression(known);
        equation(define(known.bools, "ready_", "bool"), right);
        break;
      }
      case 6: {
        std::string right = "F" + number(shape_.functions) + "(" + any(known.ints) +
                            ", " + int_expression(known, 1) + ")";
        equation(define(known.ints, "count_", "int"), right);
        break;
      }
      case 7: {
        std::string sampled = "(" + any(known.ints) + " + k3) when enable";
        std::vector<std::string> clocked;
        std::string held = define(clocked, "held_", "int when enable");
        equation(held, sampled);
        equation(define(known.ints, "sample_", "int"),
                 "if enable then current " + held + " else 0");
        break;
      }
      case 8: {
        std::vector<std::string> handles;
        std::string handle = define(handles, "handle_", "Handle");
        equation(handle, "Open(" + any(known.ints) + ")");
        equation(define(known.ints, "count_", "int"), "Size(" + handle + ") + 1");
        break;
      }
      case 9:
        body += pick(2) ? "  assert " + any(known.ints) + " <> k5;\n"
                        : "  /* a step of the computation */\n";
        break;
      case 10: {
        if (index == 0) break;
        const int called = static_cast<int>(pick(static_cast<unsigned>(index)));
        std::string callee(called % 2 == 0 ? "P" : "N");
        callee += std::to_string(called);
        std::string arguments = any(known.ints) + ", " + any(known.ints) + ", " +
                                any(known.reals) + ", " + any(known.bools);
        std::string outputs = define(known.ints, "result_", "int");
        outputs += ", " + define(known.reals, "result_", "real");
        outputs += ", " + define(known.bools, "result_", "bool");
        body += "  " + outputs + " = " + callee + "(" + arguments + "); -- a call\n";
        break;
      }
      default: {
        std::vector<std::string> pairs;
        std::string pair = define(pairs, "pair_", "Pair");
        equation(pair, "Pair { first = " + any(known.ints) +
                           "; second = " + any(known.reals) + " }");
        equation(define(known.ints, "count_", "int"), "Weight(" + pair + ")");
        break;
      }
    }
  }
  equation("total", known.ints.back());
  equation("level", known.reals.back());
  equation("ok", known.bools.back());

  std::string text = "(* node " + std::to_string(index) + ": " +
                     std::to_string(equations) + " steps *)\n";
  text += "node " + name + " (speed, limit : int; gain : real; enable : bool)\n";
  text += "returns (total : int; level : real; ok : bool);\n";
  if (!locals.empty()) text += "var\n" + locals;
  text += "let\n" + body + "tel\n\n";
  return finished(std::move(text));
}
