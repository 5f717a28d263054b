#include "runState.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "arena.h"
#include "driver.h"
#include "mainArg.h"
#include "verbose.h"
#include "xzoDecls.h"
#include "zoGenerator.h"

namespace {

struct counted {
  explicit counted(int* count) : destroyed(count) {}
  ~counted() { ++*destroyed; }
  int* destroyed;
};

TEST(ArenaRewind, GivesBackObjectsAndChunksTakenSinceTheMarkAndReusesTheChunks) {
  arena store;
  store.allocate(16);
  int destroyed = 0;
  store.make<counted>(&destroyed);
  arena::mark start = store.filled();
  std::size_t reserved = store.reserved();
  void* first_after = store.allocate(24);
  store.make<counted>(&destroyed);
  store.make<counted>(&destroyed);
  // Beyond the chunk: a chunk of its own.
  void* big = store.allocate(std::size_t{5} << 20);
  EXPECT_GT(store.reserved(), reserved);

  store.rewind(start);
  EXPECT_EQ(destroyed, 2);  // only the objects made after the mark
  EXPECT_EQ(store.reserved(), reserved);
  EXPECT_EQ(store.allocate(24), first_after);
  EXPECT_EQ(store.allocate(std::size_t{4} << 20), big);  // the kept chunk holds it
  store.rewind(start);
  EXPECT_EQ(destroyed, 2);
  // Too small: replaced by a chunk that holds it all (the sanitizers' builds
  // see the whole block written).
  auto* replaced = static_cast<char*>(store.allocate(std::size_t{6} << 20));
  std::fill_n(replaced, std::size_t{6} << 20, 'x');
  EXPECT_EQ(store.reserved(), reserved + (std::size_t{6} << 20));
}

TEST(ResetRunState, ForgetsVerbosityAndDeclarations) {
  const char* argv[] = {"za2vu", "-vv", "-simp", "-k2quelm", "h", "in.zo"};
  main_arg::options settings;
  ASSERT_FALSE(main_arg::parse(6, argv, settings));
  run_package().items.push_back({const_item, nullptr});
  reset_run_state();
  EXPECT_EQ(verbose::level(), 0);
  EXPECT_TRUE(run_package().items.empty());
}

// A harness's work thread runs the program as the program's own thread does,
// input after input: the failure of an unknown option, then a file read twice,
// the second time into the buffers kept from the first.
TEST(ResetRunState, LetsTheProgramRunAgainOnTheCallingThread) {
  const char* unknown[] = {"za2vu", "-bogus"};
  reset_run_state();
  testing::internal::CaptureStderr();
  EXPECT_EQ(run_on_this_thread(2, unknown), 2);
  EXPECT_EQ(testing::internal::GetCapturedStderr().rfind(
                "za2vu: unknown option '-bogus'.\n", 0),
            0u);

  std::string path = testing::TempDir() + "run_again.zo";
  std::FILE* file = std::fopen(path.c_str(), "w");
  ASSERT_NE(file, nullptr);
  std::fputs("node n (x : int) returns (y : int);\nlet\n  y = x;\ntel\n", file);
  std::fclose(file);
  const char* parse[] = {"za2vu", "-tparse", path.c_str()};
  for (int run = 0; run < 2; ++run) {
    reset_run_state();
    EXPECT_EQ(run_on_this_thread(3, parse), 0);
  }
  reset_run_state();
  std::remove(path.c_str());
}

// The modes a harness runs on one reading of a generated program print what
// each prints reading the file itself; -k2quelm comes last, as it adds its
// node to the package read.
TEST(RunOnPackageRead, EveryModePrintsAsItDoesReadingTheText) {
  std::vector<std::uint8_t> bytes;
  for (unsigned i = 0; i < 400; ++i)
    bytes.push_back(static_cast<std::uint8_t>(i * 37 % 251));
  byte_choices choices(bytes);
  generator_shape shape{.constants = 8,
                        .functions = 3,
                        .least_equations = 4,
                        .more_equations = 7,
                        .deep_shapes = true};
  zo_generator generator(choices, shape);
  std::string program = generator.declarations() + generator.node(0) + generator.node(1);
  std::string path = testing::TempDir() + "one_reading.zo";
  std::FILE* file = std::fopen(path.c_str(), "w");
  ASSERT_NE(file, nullptr);
  std::fputs(program.c_str(), file);
  std::fclose(file);

  const std::vector<std::vector<const char*>> modes = {
      {},
      {"-flat", "P0"},
      {"-flat", "N1"},
      {"-clean"},
      {"-cleanall"},
      {"-simp"},
      {"-usrint", "-usrreal", "-usrbool", "-simp"},
      {"-k2quelm", "h"}};
  std::vector<std::string> expected;
  for (std::vector<const char*> arguments : modes) {
    arguments.insert(arguments.begin(), "za2vu");
    arguments.push_back(path.c_str());
    reset_run_state();
    testing::internal::CaptureStdout();
    EXPECT_EQ(run_on_this_thread(static_cast<int>(arguments.size()), arguments.data()),
              0);
    expected.push_back(testing::internal::GetCapturedStdout());
  }
  const char* parse[] = {"za2vu", "-tparse", path.c_str()};
  reset_run_state();
  ASSERT_EQ(run_on_this_thread(3, parse), 0);
  for (std::size_t mode = 0; mode < modes.size(); ++mode) {
    std::vector<const char*> arguments = modes[mode];
    arguments.insert(arguments.begin(), "za2vu");
    reset_run_settings();
    testing::internal::CaptureStdout();
    EXPECT_EQ(run_on_package_read(static_cast<int>(arguments.size()), arguments.data()),
              0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), expected[mode]) << mode;
  }
  reset_run_state();
  std::remove(path.c_str());
}

}  // namespace
