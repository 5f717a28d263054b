// Writes a zo program of about the requested size on standard output: types,
// constants, functions and nodes whose bodies mix every operator, comments
// and annotations, so that every mode has realistic work to do.
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

std::uint64_t state = 88172645463325252ULL;
long long written = 0;

[[gnu::format(printf, 1, 2)]] void out(const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  written += std::vprintf(format, arguments);
  va_end(arguments);
}

unsigned pick(unsigned bound) {
  state ^= state << 13;
  state ^= state >> 7;
  state ^= state << 17;
  return static_cast<unsigned>(state % bound);
}

std::string int_expression(int depth, int node);

std::string int_leaf(int node) {
  switch (pick(4)) {
    case 0: return std::to_string(pick(1000));
    case 1: return "k" + std::to_string(node % 50);
    default: return "x" + std::to_string(pick(4)) + "_" + std::to_string(node);
  }
}

std::string divisor(int node) {
  return pick(2) == 0 ? std::to_string(1 + pick(999))
                      : "x" + std::to_string(pick(4)) + "_" + std::to_string(node);
}

std::string int_expression(int depth, int node) {
  if (depth == 0) return int_leaf(node);
  static const char* const operators[] = {"+", "-", "*", "div", "mod"};
  switch (pick(6)) {
    case 0: return "pre " + int_expression(depth - 1, node);
    case 1: return "(" + int_expression(depth - 1, node) + ")";
    case 2:
      // Parenthesised, so that an inner `if` does not take the comparison into
      // its else branch: the program stays well typed for the user modes.
      return "if (" + int_expression(depth - 1, node) + ") > " + int_leaf(node) +
             " then " + int_expression(depth - 1, node) + " else " + int_leaf(node);
    default: {
      // A divisor is a name or a literal other than 0, so that constant
      // folding never meets a zero divisor.
      const char* op = operators[pick(5)];
      bool divides = op[0] == 'd' || op[0] == 'm';
      return int_expression(depth - 1, node) + " " + op + " " +
             (divides ? divisor(node) : int_expression(depth - 1, node));
    }
  }
}

void node(int index) {
  std::string n = std::to_string(index);
  out("(* node %d: a counter with %s *)\n", index, "four inputs");
  out("node N%d (x0_%s, x1_%s : int; x2_%s, x3_%s : int; c_%s : bool)\n", index,
      n.c_str(), n.c_str(), n.c_str(), n.c_str(), n.c_str());
  out("returns (y_%s : int; b_%s : bool);\nvar\n  v_%s, a_%s : int;\n  r_%s : real;\n",
      n.c_str(), n.c_str(), n.c_str(), n.c_str(), n.c_str());
  out("  h_%s : int when c_%s;\n  g_%s : int;\n  e_%s : bool;\nlet\n", n.c_str(),
      n.c_str(), n.c_str(), n.c_str());
  out("  --%%PROPERTY b_%s;\n", n.c_str());
  out("  assert x0_%s >= 0 and not c_%s or x1_%s < 100;\n", n.c_str(), n.c_str(),
      n.c_str());
  out("  v_%s = 0 -> %s;\n", n.c_str(), int_expression(3, index).c_str());
  out("  a_%s = v_%s;\n", n.c_str(), n.c_str());
  out("  h_%s = (a_%s + k3) when c_%s;\n", n.c_str(), n.c_str(), n.c_str());
  out("  g_%s = if c_%s then current h_%s else 0 * x1_%s;\n", n.c_str(), n.c_str(),
      n.c_str(), n.c_str());
  out("  e_%s = true and (c_%s or false) => not not c_%s;\n", n.c_str(), n.c_str(),
      n.c_str());
  out("  y_%s = F%d(a_%s, %s);\n", n.c_str(), index % 20, n.c_str(),
      int_expression(2, index).c_str());
  out("  r_%s = real v_%s * 2.5 + 1.0e-3; -- scaled\n", n.c_str(), n.c_str());
  out("  b_%s = (y_%s <> v_%s) xor (r_%s > 0.5);\n", n.c_str(), n.c_str(), n.c_str(),
      n.c_str());
  out("tel\n\n");
}

}  // namespace

int main(int argc, char* argv[]) {
  long long target = argc > 1 ? std::atoll(argv[1]) : 50'000'000;
  out("type Pair = struct {first : int; second : real};\n");
  for (int k = 0; k < 50; ++k) out("const k%d : int = %d;\n", k, k * 7);
  for (int f = 0; f < 20; ++f)
    out("function F%d (a : int; b : int) returns (r : int);\n", f);
  for (int index = 0; written < target; ++index) node(index);
  return 0;
}
