// Writes a zo program of about the requested size on standard output, with the
// mix of a real one: external, alias and structure types,
// constants, function interfaces (one unsafe), then nodes of 20 to 80
// equations over int, real and Boolean flows, with aliases, clocked locals
// (`when`/`current`), `pre`, `->`, `if`, calls of functions and of earlier
// nodes (tuple equations), structure values passed to functions, assertions,
// property annotations and every comment form. Every mode accepts the program
// and prints it back as text that reads again (no field access, which prints
// as an index). Nodes named P<k> use neither tuples nor structure values, so
// that `-flat` accepts them too. With -short, every name but the nodes' has 1
// to 3 characters, as in generated code; the program is otherwise the same.
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace {

std::uint64_t state = 88172645463325252ULL;
std::string text;
long long written = 0;

unsigned pick(unsigned bound) {
  state ^= state << 13;
  state ^= state >> 7;
  state ^= state << 17;
  return static_cast<unsigned>(state % bound);
}

bool short_names = false;

// The short name given to each long one, in order of first use: 1 to 3
// characters that are no keyword, not PROPERTY and no node name.
std::string short_name(const std::string& name) {
  static std::unordered_map<std::string, std::string> given;
  static std::size_t next = 0;
  auto [place, added] = given.try_emplace(name);
  if (!added) return place->second;
  static const std::string_view firsts =
      "abcdefghijklmoqrstuvwxyzABCDEFGHIJKLMOQRSTUVWXYZ";
  static const std::string_view others =
      "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_";
  static const std::string_view reserved[] = {"if",  "or",  "of",  "and", "div",
                                              "mod", "int", "let", "nor", "not",
                                              "pre", "tel", "var", "xor"};
  for (;;) {
    std::size_t code = next++;
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
std::string shortened(const std::string& input) {
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

void emit() {
  if (short_names) text = shortened(text);
  std::fwrite(text.data(), 1, text.size(), stdout);
  written += static_cast<long long>(text.size());
  text.clear();
}

// The flows a node has defined so far, by type: an equation reads only
// these (or anything under `pre`), so that no definition is cyclic.
struct flows {
  std::vector<std::string> ints{"speed", "limit"};
  std::vector<std::string> reals{"gain"};
  std::vector<std::string> bools{"enable"};
};

const std::string& any(const std::vector<std::string>& names) {
  return names[pick(static_cast<unsigned>(names.size()))];
}

std::string number(unsigned bound) { return std::to_string(pick(bound)); }

// A divisor is never 0: a literal from 1 on, or a constant k1 to k49 (k0 is 0).
std::string divisor() {
  return pick(2) == 0 ? std::to_string(1 + pick(99)) : "k" + std::to_string(1 + pick(49));
}

std::string int_expression(const flows& known, int depth) {
  if (depth == 0) {
    switch (pick(5)) {
      case 0: return number(1000);
      case 1: return "k" + number(50);
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

std::string bool_expression(const flows& known) {
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

std::string real_expression(const flows& known) {
  switch (pick(3)) {
    case 0: return "real " + any(known.ints) + " * 2.5 + " + any(known.reals) + " / 4.0";
    case 1: return "0.0 -> pre " + any(known.reals) + " - 1.0e-3";
    default: return "if " + any(known.bools) + " then " + any(known.reals) + " else RATE";
  }
}

// One node: its declarations are known only once its equations are drawn, so
// the body is written first into `body` and the locals after it.
void node(int index) {
  const bool plain = index % 2 == 0;
  // Appended, not prepended: g++ 12 warns falsely on an inlined prepend.
  std::string name(plain ? "P" : "N");
  name += std::to_string(index);
  flows known;
  std::string locals, body;
  int local_count = 0;
  auto define = [&](std::vector<std::string>& names, const char* prefix,
                    const std::string& type) {
    std::string local = prefix + std::to_string(local_count++);
    locals += "  " + local + " : " + type + ";\n";
    names.push_back(local);
    return local;
  };
  auto equation = [&](const std::string& left, const std::string& right) {
    body += "  " + left + " = " + right + ";\n";
  };

  body += "  --%PROPERTY ok or not enable;\n";
  body += "  assert speed >= 0 and not enable or limit < 100;\n";
  const int equations = 20 + static_cast<int>(pick(61));
  for (int count = 0; count < equations; ++count) {
    switch (pick(plain ? 10 : 12)) {
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
        std::string right = "F" + number(20) + "(" + any(known.ints) + ", " +
                            int_expression(known, 1) + ")";
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

  text += "(* node " + std::to_string(index) + ": " + std::to_string(equations) +
          " steps *)\n";
  text += "node " + name + " (speed, limit : int; gain : real; enable : bool)\n";
  text += "returns (total : int; level : real; ok : bool);\n";
  if (!locals.empty()) text += "var\n" + locals;
  text += "let\n" + body + "tel\n\n";
  emit();
}

}  // namespace

int main(int argc, char* argv[]) {
  if (argc > 1 && std::string_view(argv[1]) == "-short") {
    short_names = true;
    --argc;
    ++argv;
  }
  long long target = argc > 1 ? std::atoll(argv[1]) : 50'000'000;
  text += "-- generated zo program\n";
  text += "type Handle;\ntype Count = int;\n";
  text += "type Pair = struct {first : int; second : real};\n";
  text += "const RATE = 0.5;\n";
  for (int k = 0; k < 50; ++k)
    text += "const k" + std::to_string(k) + " : int = " + std::to_string(k * 7) + ";\n";
  for (int f = 0; f < 20; ++f)
    text += "function F" + std::to_string(f) + " (a : int; b : int) returns (r : int);\n";
  text += "function Open (n : int) returns (h : Handle);\n";
  text += "unsafe function Size (h : Handle) returns (n : int);\n";
  text += "function Weight (p : Pair) returns (n : int);\n\n";
  emit();
  for (int index = 0; written < target; ++index) node(index);
  return 0;
}
