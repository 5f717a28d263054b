#include "simEngine.h"

#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "simCompile.h"
#include "simInputs.h"
#include "xzo.h"

namespace {

// The output rows of the node run on the CSV inputs ("1,2" a step, one line
// each), then the message of the error that stopped it, if any, as
// "LINE:COL: MESSAGE".
std::string simulated(const char* program, const char* csv, sim_options options = {},
                      std::string_view node = "") {
  package pack;
  reading_places places;
  read_checked(program, pack, places);
  std::string shown;
  try {
    sim_program compiled =
        compile_node(pack, &places, chosen_node(pack, node, "t.zo"), "t.zo", options);
    int fd = ::memfd_create("inputs", 0);
    std::string_view text(csv);
    EXPECT_EQ(::write(fd, text.data(), text.size()), static_cast<ssize_t>(text.size()));
    ::lseek(fd, 0, SEEK_SET);
    sim_machine machine(compiled);
    try {
      csv_inputs inputs(fd, "in.csv", compiled);
      while (inputs.next(machine)) {
        machine.step();
        std::string row;
        for (const sim_column& output : compiled.outputs) {
          if (!row.empty()) row += ',';
          append_value(row, output.type, machine.get(output.slot));
        }
        for (const sim_check& assertion : compiled.asserts)
          if (machine.get(assertion.slot).state == value_state::present &&
              machine.get(assertion.slot).i == 0)
            row += " (assertion false)";
        shown += row + "\n";
      }
    } catch (...) {
      ::close(fd);
      throw;
    }
    ::close(fd);
  } catch (const Sim_error& failure) {
    shown += std::to_string(failure.place.line) + ":" +
             std::to_string(failure.place.cstart) + ": " + failure.message;
  }
  return shown;
}

struct engine_case {
  const char* what;
  const char* program;
  const char* inputs;
  const char* outputs;
};

// Each program runs on its rows; the outputs of each step are compared.
const engine_case engine_cases[] = {
    {"pre is nil at the first step, -> takes its left operand there",
     "node n (a : int) returns (p, q : int); let p = pre a; q = 0 -> pre a; tel",
     "a\n1\n2\n3\n", "nil,0\n1,1\n2,2\n"},
    {"equations run in dependency order, not in file order",
     "node n (a : int) returns (x : int); var y, z : int;\n"
     "let x = y * 2; y = z + 1; z = a; tel",
     "a\n1\n5\n", "4\n12\n"},
    {"a counter with reset through its own memory",
     "node n (r : bool) returns (c : int);\n"
     "let c = 0 -> if r then 0 else pre c + 1; tel",
     "r\nf\nf\nt\n0\n", "0\n1\n0\n1\n"},
    {"when makes a flow absent where its clock is false; current holds it",
     "node n (c : bool; x : int) returns (h : int); var (s : int) when c;\n"
     "let s = x when c; h = current s; tel",
     "c,x\nfalse,1\ntrue,2\nfalse,3\ntrue,4\n", "nil\n2\n2\n4\n"},
    {"pre inside a when samples its operand at every step of the operand's clock",
     "node n (c : bool; x : int) returns (h : int);\n"
     "let h = current (pre x when c); tel",
     "c,x\ntrue,1\nfalse,2\ntrue,3\n", "nil\nnil\n2\n"},
    {"a clocked input is absent where its clock is false",
     "node n (c : bool; (x : int) when c) returns (h : int);\n"
     "let h = current x; tel",
     "c,x\ntrue,7\nfalse,_\ntrue,9\n", "7\n7\n9\n"},
    {"every call site is an instance of its own, stepped on its arguments' clock",
     "node count (x : int) returns (s : int); let s = x -> pre s + x; tel\n"
     "node n (c : bool; a : int) returns (all, some : int);\n"
     "let all = count(a); some = current count(a when c); tel",
     "c,a\ntrue,1\nfalse,1\ntrue,1\ntrue,1\n", "1,1\n2,1\n3,2\n4,3\n"},
    {"a call with several outputs gives a tuple",
     "node sd (a, b : int) returns (s, d : int); let s = a + b; d = a - b; tel\n"
     "node n (a, b : int) returns (x, y : int); let x, y = sd(b, a); tel",
     "a,b\n5,2\n", "7,-3\n"},
    {"div and mod truncate toward zero, the remainder with the dividend's sign",
     "node n (a, b : int) returns (q, r, s : int); let q = a div b; r = a mod b; s = a / "
     "b; tel",
     "a,b\n7,2\n-7,2\n7,-2\n-7,-2\n-9223372036854775808,-1\n",
     "3,1,3\n-3,-1,-3\n-3,1,-3\n3,-1,3\n-9223372036854775808,0,-9223372036854775808\n"},
    {"integers wrap around on 64 bits",
     "node n (a : int) returns (s, p, m : int); let s = a + 1; p = a * 2; m = -a; tel",
     "a\n9223372036854775807\n-9223372036854775808\n",
     "-9223372036854775808,-2,-9223372036854775807\n"
     "-9223372036854775807,0,-9223372036854775808\n"},
    {"conversions: int truncates toward zero, real converts",
     "node n (x : real; i : int) returns (t : int; r : real); let t = int x; r = real i; "
     "tel",
     "x,i\n-2.7,3\n2.7,-1\n1e3,0\n", "-2,3\n2,-1\n1000,0\n"},
    {"reals print as the shortest text that reads back",
     "node n (a, b : real) returns (s, q : real); let s = a + b; q = a / b; tel",
     "a,b\n0.1,0.2\n1,0\n-1.5e300,1e-300\n",
     "0.30000000000000004,0.5\n1,inf\n-1.5e+300,-inf\n"},
    {"nil propagates through every operator and if",
     "node n (a : int; c : bool) returns (x : int; y : bool; z : int);\n"
     "let x = pre a + 1; y = pre c or true; z = if pre c then 1 else 2; tel",
     "a,c\n1,true\n2,false\n", "nil,nil,nil\n2,true,1\n"},
    {"Boolean operators and comparisons",
     "node n (a, b : bool; i, j : int) returns (x, o, im, nt, lt, ge, ne : bool);\n"
     "let x = a xor b; o = a or b; im = a => b; nt = not a; lt = i < j; ge = i >= j;\n"
     "ne = i <> j; tel",
     "a,b,i,j\ntrue,false,1,2\nfalse,false,2,2\n",
     "true,true,false,false,true,false,true\nfalse,false,true,true,false,true,false\n"},
    {"# is true when at most one operand is",
     "node n (a, b, c : bool) returns (x : bool); let x = #(a, b, c); tel",
     "a,b,c\nf,f,f\nt,f,f\nt,t,f\n", "true\ntrue\nfalse\n"},
    {"structures: values, fields, equality, one column per field",
     "type p = struct { x : int; y : real };\n"
     "node n (a : p) returns (b : p; s : bool; f : real);\n"
     "let b = p { y = a.y * 2.0; x = a.x + 1 }; s = a = b; f = b.y; tel",
     "a.y,a.x\n1.5,1\n0,0\n", "2,3,false,3\n1,0,false,0\n"},
    {"a structure value takes the default of a field it does not give",
     "type p = struct { x : int = 4; y : int };\n"
     "node n (a : int) returns (b : p); let b = p { y = a }; tel",
     "a\n1\n", "4,1\n"},
    {"enumeration constants by name, compared",
     "type color = enum { red, green };\n"
     "node n (c : color) returns (g : bool; d : color);\n"
     "let g = c = green; d = if g then red else green; tel",
     "c\nred\ngreen\n", "false,green\ntrue,red\n"},
    {"constants of the package, computed from one another",
     "const A = 2; const B = A * 3 + 1;\n"
     "node n (a : int) returns (x : int); let x = a + B; tel",
     "a\n1\n", "8\n"},
    {"a false assertion is seen at its step; a nil one is not checked",
     "node n (a : int) returns (x : int); let x = a; assert pre a < 5; tel", "a\n9\n1\n",
     "9\n1 (assertion false)\n"},
    {"a flow declared on a clock gets a constant only where its clock is true",
     "node n (c : bool) returns (h : int); var (k : int) when c;\n"
     "let k = 5; h = current k; tel",
     "c\nfalse\ntrue\n", "nil\n5\n"},
    {"the operand of when runs on the clock outside: an arrow there has its first step "
     "at the first step of that clock",
     "node n (c : bool; x : int) returns (h : int); var (s : int) when c;\n"
     "let s = (0 -> pre s + 1) when c; h = current ((0 -> x) when c); tel",
     "c,x\nfalse,5\ntrue,6\ntrue,7\n", "nil\n6\n7\n"},
    {"flows on different clocks, computed one after another, are each absent or present "
     "by their own clock",
     "node n (c, d : bool; x : int) returns ((y : int) when c; (z : int) when d; w : "
     "int);\n"
     "let y = (x + 1) when c; z = (x * 2) when d; w = x; tel",
     "c,d,x\nt,f,1\nf,t,2\nt,t,3\nf,f,4\n", "2,_,1\n_,4,2\n4,6,3\n_,_,4\n"},
    {"a memory on a clock keeps its value at the steps where the clock is false",
     "node n (c : bool; x : int) returns (h, k : int); var (s : int) when c;\n"
     "let s = x when c; h = current (pre s); k = current (0 -> pre s); tel",
     "c,x\nt,1\nf,2\nt,3\nt,4\nf,5\n", "nil,0\nnil,0\n1,1\n3,3\n3,3\n"},
    {"a node instance on a false clock keeps its memories and first step",
     "node count (x : int) returns (s : int); let s = x -> pre s + x; tel\n"
     "node n (c : bool; a : int) returns (h : int);\n"
     "let h = current count(a when c); tel",
     "c,a\nf,5\nt,1\nf,7\nt,2\n", "nil\n1\n1\n3\n"},
};

TEST(SimEngine, ProgramsComputeTheExpectedOutputsStepByStep) {
  for (const engine_case& test : engine_cases)
    EXPECT_EQ(simulated(test.program, test.inputs), test.outputs) << test.what;
}

struct failure_case {
  const char* what;
  const char* program;
  const char* inputs;
  const char* expected;
};

const failure_case failure_cases[] = {
    {"a division by zero names its step and place",
     "node n (a, b : int) returns (q : int);\nlet q = a div b; tel", "a,b\n1,1\n1,0\n",
     "1\n2:9: division by zero at step 2"},
    {"a modulo by zero too",
     "node n (a, b : int) returns (q : int);\nlet q = a mod b; tel", "a,b\n1,0\n",
     "2:9: division by zero at step 1"},
    {"an instantaneous cycle names its flows in order with their lines",
     "node n (a : int) returns (x : int); var y : int;\nlet\n  x = y + a;\n  y = x;\ntel",
     "a\n", "3:3: instantaneous cycle: x (line 3) -> y (line 4) -> x"},
    {"a cycle through a node call",
     "node id (a : int) returns (b : int); let b = 0 -> pre a; tel\n"
     "node n (a : int) returns (x : int);\nlet\n  x = id(x);\ntel",
     "a\n", "4:3: instantaneous cycle: x (line 4) -> x"},
    {"a node that calls itself through another",
     "node f (a : int) returns (b : int); let b = g(a); tel\n"
     "node g (a : int) returns (b : int); let b = f(a); tel\n"
     "node n (a : int) returns (x : int); let x = f(a); tel",
     "a\n", "2:45: node 'f' calls itself: f -> g -> f"},
    {"a function without body cannot be computed",
     "function f (a : int) returns (b : int);\n"
     "node n (a : int) returns (x : int); let x = f(a); tel",
     "a\n",
     "2:45: function 'f' has no body to compute: use --uninterpreted to give it values"},
    {"an external constant has no value",
     "const K : int;\nnode n (a : int) returns (x : int); let x = a + K; tel", "a\n",
     "2:49: the external constant 'K' has no value: give one with --const K=VALUE, or "
     "use "
     "--uninterpreted"},
    {"int of a real outside the integers",
     "node n (x : real) returns (i : int);\nlet i = int x; tel", "x\n1e300\n",
     "2:9: int of a real out of the integer range at step 1"},
};

TEST(SimEngine, ErrorsNameTheirPlaceAndStep) {
  for (const failure_case& test : failure_cases)
    EXPECT_EQ(simulated(test.program, test.inputs), test.expected) << test.what;
}

TEST(SimEngine, ConstantsOnTheCommandLineAndUninterpretedFunctions) {
  const char* program =
      "function f (a : int) returns (b : int);\nconst K : int;\n"
      "node n (a : int) returns (x : int; y : bool); let x = a + K; y = f(a) = f(a); tel";
  sim_options options;
  options.constants = {{"K", "10"}};
  options.uninterpreted = true;
  EXPECT_EQ(simulated(program, "a\n1\n2\n", options), "11,true\n12,true\n");
  // The same arguments give the same value, in every run.
  value first = uninterpreted_value("f", 0, {scalar_kind::integer}, {int_value(3)});
  value again = uninterpreted_value("f", 0, {scalar_kind::integer}, {int_value(3)});
  EXPECT_EQ(first.i, again.i);
  EXPECT_GE(first.i, -100);
  EXPECT_LE(first.i, 100);
}

// The value of a function without body: FNV-1a over every byte of its
// name, of the result's position and of each argument's bits, then mixed
// and reduced to the range of drawn integers.
std::int64_t byte_wise_hashed_int(std::string_view name, std::uint64_t position,
                                  const std::vector<std::uint64_t>& arguments) {
  std::uint64_t hash = 14695981039346656037ull;
  auto mix = [&](std::uint64_t word, int bytes) {
    for (int byte = 0; byte < bytes; ++byte) {
      hash ^= (word >> (8 * byte)) & 0xff;
      hash *= 1099511628211ull;
    }
  };
  for (char letter : name) mix(static_cast<unsigned char>(letter), 8);
  mix(position, 8);
  for (std::uint64_t word : arguments) mix(word, 8);
  hash ^= hash >> 31;
  hash *= 0x9e3779b97f4a7c15ull;
  hash ^= hash >> 29;
  return static_cast<std::int64_t>(hash % 201) - 100;
}

TEST(SimEngine, UninterpretedValuesHashEveryByteOfTheArguments) {
  const std::int64_t words[] = {0,     1,         255,        256,
                                65535, 1 << 24,   0x7fffffff, -1,
                                -100,  INT64_MIN, INT64_MAX,  0x0100000000000000};
  for (std::int64_t first : words)
    for (std::int64_t second : {std::int64_t{0}, std::int64_t{-7}, std::int64_t{4096}})
      for (std::size_t position : {0, 1, 300})
        EXPECT_EQ(uninterpreted_value("fn", position, {scalar_kind::integer},
                                      {int_value(first), int_value(second)})
                      .i,
                  byte_wise_hashed_int("fn", position,
                                       {static_cast<std::uint64_t>(first),
                                        static_cast<std::uint64_t>(second)}))
            << first << ", " << second << " at " << position;
}

TEST(SimEngine, NodeChosenByNameElseByMainAnnotationElseLast) {
  const char* program =
      "node a (x : int) returns (y : int); let y = x; --%MAIN\ntel\n"
      "node b (x : int) returns (y : int); let y = x + 1; tel";
  EXPECT_EQ(simulated(program, "x\n1\n"), "1\n");
  EXPECT_EQ(simulated(program, "x\n1\n", {}, "b"), "2\n");
  EXPECT_EQ(simulated("node a (x : int) returns (y : int); let y = x; tel\n"
                      "node b (x : int) returns (y : int); let y = x + 1; tel",
                      "x\n1\n"),
            "2\n");
  EXPECT_EQ(simulated(program, "x\n1\n", {}, "c"), "0:0: no node 'c' in the program");
}

}  // namespace
