#include "xzoRun.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "arena.h"
#include "checkRun.h"
#include "driver.h"
#include "scratch_list.h"
#include "zoGenerator.h"

namespace {

// Every test makes its trees in a run of its own, made before the test starts
// and gone when it ends, as a program's driver makes one per input.
class run_per_test : public testing::EmptyTestEventListener {
  void OnTestStart(const testing::TestInfo&) override { run_.emplace(); }
  void OnTestEnd(const testing::TestInfo&) override { run_.reset(); }
  std::optional<zo_run> run_;
};

const bool runs_made_per_test = [] {
  testing::UnitTest::GetInstance()->listeners().Append(new run_per_test);
  return true;
}();

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

// The trees of a run are made in its arena while it lives; the arena of the
// run around it comes back when it goes, with every object made in it.
TEST(Run, MakesTreesInItsArenaWhileItLives) {
  arena* outer = &run_arena();
  int destroyed = 0;
  {
    zo_run run;
    EXPECT_EQ(&run_arena(), &run.memory());
    run_arena().make<counted>(&destroyed);
  }
  EXPECT_EQ(destroyed, 1);
  EXPECT_EQ(&run_arena(), outer);
}

// Writes the text into a file of the test's temporary folder; gives its path.
std::string written(const std::string& name, const std::string& text) {
  std::string path = testing::TempDir() + name;
  std::FILE* file = std::fopen(path.c_str(), "w");
  EXPECT_NE(file, nullptr);
  std::fputs(text.c_str(), file);
  std::fclose(file);
  return path;
}

struct streams {
  int status;
  std::string out;
  std::string err;
};

// Runs za2vu on the arguments in a run of its own, as a process would.
streams za2vu_in_a_run(std::vector<const char*> arguments) {
  arguments.insert(arguments.begin(), "za2vu");
  zo_run run;
  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  int status =
      run_on_this_thread(static_cast<int>(arguments.size()), arguments.data(), run);
  std::string out = testing::internal::GetCapturedStdout();
  return {status, out, testing::internal::GetCapturedStderr()};
}

// Runs one after another in one process print what separate processes print:
// the verbosity, the declarations and the positions of a run do not reach the
// next. Each expected text is what the program prints alone on that input.
TEST(Run, RunsInOneProcessPrintAsSeparateProcessesDo) {
  std::string first = written("first_run.zo", "const a = 1;\nconst b = a;\n");
  std::string second = written("second_run.zo", "const a = 2;\n\nconst c = ;\n");
  std::string third = written("third_run.zo", "const a = 3;\n");
  const streams expected[] = {
      {0, "const a = 1;\nconst b = a;\n", ""},
      {1, "", "Error. ';' (line 3, char 11 to 11):\n---> syntax error\n"},
      {0, "const a = 3;\n", ""},
  };
  for (int round = 0; round < 2; ++round) {
    const streams found[] = {za2vu_in_a_run({"-vv", first.c_str()}),
                             za2vu_in_a_run({second.c_str()}),
                             za2vu_in_a_run({third.c_str()})};
    for (std::size_t run = 0; run < std::size(found); ++run) {
      EXPECT_EQ(found[run].status, expected[run].status) << round << " " << run;
      EXPECT_EQ(found[run].out, expected[run].out) << round << " " << run;
      if (run > 0) {
        EXPECT_EQ(found[run].err, expected[run].err) << round << " " << run;
      }
    }
  }
  for (const std::string& path : {first, second, third}) std::remove(path.c_str());
}

// A harness's work thread runs the program as the program's own thread does,
// input after input: the failure of an unknown option, then a file read twice.
TEST(Run, LetsTheProgramRunAgainOnTheCallingThread) {
  streams unknown = za2vu_in_a_run({"-bogus"});
  EXPECT_EQ(unknown.status, 2);
  EXPECT_EQ(unknown.err.rfind("za2vu: unknown option '-bogus'.\n", 0), 0u);

  std::string path = written("run_again.zo",
                             "node n (x : int) returns (y : int);\nlet\n  y = x;\ntel\n");
  for (int run = 0; run < 2; ++run)
    EXPECT_EQ(za2vu_in_a_run({"-tparse", path.c_str()}).status, 0);
  std::remove(path.c_str());
}

// zocheck checks the same file alike in two runs of one process.
TEST(Run, ChecksAFileAlikeInTwoRuns) {
  std::string path = written("checked_twice.zo", "const a = 1;\nconst a = 2;\n");
  const char* arguments[] = {"zocheck", path.c_str()};
  std::string outputs[2];
  for (std::string& output : outputs) {
    zo_run run;
    testing::internal::CaptureStdout();
    EXPECT_EQ(run_check(2, arguments, run), 1);
    output = testing::internal::GetCapturedStdout();
  }
  EXPECT_NE(outputs[0], "");
  EXPECT_EQ(outputs[1], outputs[0]);
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
  std::string path = written(
      "one_reading.zo", generator.declarations() + generator.node(0) + generator.node(1));

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
    arguments.push_back(path.c_str());
    streams alone = za2vu_in_a_run(arguments);
    EXPECT_EQ(alone.status, 0);
    expected.push_back(alone.out);
  }
  zo_run run;
  const char* parse[] = {"za2vu", "-tparse", path.c_str()};
  ASSERT_EQ(run_on_this_thread(3, parse, run), 0);
  for (std::size_t mode = 0; mode < modes.size(); ++mode) {
    std::vector<const char*> arguments = modes[mode];
    arguments.insert(arguments.begin(), "za2vu");
    testing::internal::CaptureStdout();
    EXPECT_EQ(
        run_on_package_read(static_cast<int>(arguments.size()), arguments.data(), run),
        0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), expected[mode]) << mode;
  }
  std::remove(path.c_str());
}

}  // namespace
