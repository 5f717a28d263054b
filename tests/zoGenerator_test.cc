#include "zoGenerator.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace {

TEST(ByteChoices, OneByteAChoiceTwoAbove256AndZeroOnceTheBytesRunOut) {
  const std::array<std::uint8_t, 5> bytes{7, 200, 1, 2, 9};
  byte_choices choices(bytes);
  EXPECT_EQ(choices.pick(5), 2u);                // 7 % 5
  EXPECT_EQ(choices.pick(1), 0u);                // no choice: no byte used
  EXPECT_EQ(choices.pick(256), 200u);            // one byte
  EXPECT_EQ(choices.pick(1000), 258u);           // 1 * 256 + 2
  EXPECT_EQ(choices.pick(300), 9u * 256 % 300);  // 9, then a missing byte as 0
  EXPECT_EQ(choices.pick(2), 0u);
}

std::string program_of(const std::vector<std::uint8_t>& bytes, generator_shape shape) {
  byte_choices choices(bytes);
  zo_generator generator(choices, shape);
  std::string program = generator.declarations();
  program += generator.node(0);
  return program += generator.node(1);
}

TEST(ZoGenerator, NoBytesGiveTheSmallestNodesAndTheSameBytesTheSameProgram) {
  generator_shape shape;
  shape.constants = 8;
  shape.functions = 1;
  shape.least_equations = 1;
  shape.more_equations = 3;
  shape.deep_shapes = true;
  std::string smallest = program_of({}, shape);
  EXPECT_NE(smallest.find("const k7 : int = 49;\nfunction F0 "), std::string::npos);
  EXPECT_EQ(smallest.find("k8"), std::string::npos);
  EXPECT_NE(smallest.find("(* node 0: 1 steps *)\nnode P0 "), std::string::npos);
  EXPECT_NE(smallest.find("(* node 1: 1 steps *)\nnode N1 "), std::string::npos);

  std::vector<std::uint8_t> bytes(40, 3);
  std::string program = program_of(bytes, shape);
  bytes[20] = 4;
  EXPECT_NE(program, program_of(bytes, shape));
  EXPECT_EQ(program, program_of(std::vector<std::uint8_t>(40, 3), shape));
}

TEST(ZoGenerator, ShortNamesReplaceAllButKeywordsNodeNamesAndNumbers) {
  generator_shape shape;
  shape.short_names = true;
  random_choices choices;
  zo_generator generator(choices, shape);
  std::string program = generator.declarations();
  program += generator.node(0);
  EXPECT_EQ(program.rfind("-- a b c\ntype d;\ntype e = int;\n", 0), 0u);
  EXPECT_NE(program.find("node P0 ("), std::string::npos);
  EXPECT_NE(program.find(" = 343;"), std::string::npos);  // k49, shortened, keeps 49 * 7
  EXPECT_EQ(program.find("speed"), std::string::npos);
}

TEST(ZoGenerator, SeedZeroIsTheDefaultSequenceAndOtherSeedsDiffer) {
  auto program_of_seed = [](random_choices choices) {
    zo_generator generator(choices, generator_shape{});
    return generator.declarations() + generator.node(0) + generator.node(1);
  };
  std::string default_program = program_of_seed(random_choices{});
  EXPECT_EQ(default_program, program_of_seed(random_choices{0}));
  std::string first = program_of_seed(random_choices{1});
  EXPECT_NE(first, default_program);
  EXPECT_NE(first, program_of_seed(random_choices{2}));
  EXPECT_EQ(first, program_of_seed(random_choices{1}));
}

}  // namespace
