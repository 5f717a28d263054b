// A generator of well-typed zo programs with the mix of a real one: external,
// alias and structure types, constants, function interfaces (one unsafe), then
// nodes over int, real and Boolean flows, with aliases, clocked locals
// (`when`/`current`), `pre`, `->`, `if`, calls of functions and of earlier
// nodes (tuple equations), structure values passed to functions, assertions,
// property annotations and every comment form. Every mode accepts the program
// and prints it back as text that reads again (no field access, which prints
// as an index). Nodes named P<k> use neither tuples nor structure values, so
// that `-flat` accepts them too. Every choice comes from a choice source.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

/// Where the generator's choices come from.
class choice_source {
 public:
  /// A number below `bound` (which is at least 1).
  virtual unsigned pick(unsigned bound) = 0;

 protected:
  ~choice_source() = default;
};

/// Choices from an xorshift sequence fixed by its seed: the same program on
/// every run with the same seed.
class random_choices final : public choice_source {
 public:
  random_choices() = default;
  /// The sequence of that seed; seed 0 is the sequence of the default one.
  explicit random_choices(std::uint64_t seed);
  unsigned pick(unsigned bound) override;

 private:
  std::uint64_t state_ = 88172645463325252ULL;
};

/// Choices read from bytes, one byte a choice (two for bounds above 256), so
/// that a small change of the bytes makes a small change of the program; once
/// the bytes run out, every choice is 0, the smallest or terminating one.
class byte_choices final : public choice_source {
 public:
  explicit byte_choices(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
  unsigned pick(unsigned bound) override;

 private:
  unsigned next_byte();
  std::span<const std::uint8_t> bytes_;
  std::size_t used_ = 0;
};

/// The size and kinds of the program made.
struct generator_shape {
  /// Every name but the nodes' has 1 to 3 characters, as in generated code.
  bool short_names = false;
  /// Constants k0 to k<constants - 1> (at least 8) and functions F0 to
  /// F<functions - 1> (at least 1).
  unsigned constants = 50;
  unsigned functions = 20;
  /// Each node has least_equations plus up to more_equations steps.
  unsigned least_equations = 20;
  unsigned more_equations = 60;
  /// Steps may also be the deep shapes (chains of parentheses, `pre`, `->`,
  /// `if`, `not`, negation, `=`, sums, aliases, assertions and properties),
  /// at most `deepest` levels each.
  bool deep_shapes = false;
  unsigned deepest = 6;
};

class zo_generator {
 public:
  zo_generator(choice_source& choices, const generator_shape& shape)
      : choices_(choices), shape_(shape) {}

  /// The declarations that every node may use: types, constants, functions.
  std::string declarations();

  /// The node of that index (0 first); it may call the nodes before it.
  std::string node(int index);

 private:
  struct flows;
  unsigned pick(unsigned bound) { return choices_.pick(bound); }
  const std::string& any(const std::vector<std::string>& names);
  std::string number(unsigned bound);
  std::string constant();
  std::string divisor();
  std::string int_expression(const flows& known, int depth);
  std::string bool_expression(const flows& known);
  std::string real_expression(const flows& known);
  std::string deep_int(const flows& known, unsigned levels);
  std::string deep_bool(const flows& known, unsigned levels);
  std::string finished(std::string text);
  std::string short_name(const std::string& name);
  std::string shortened(const std::string& input);

  choice_source& choices_;
  generator_shape shape_;
  std::unordered_map<std::string, std::string> short_names_given_;
  std::size_t next_short_name_ = 0;
};
