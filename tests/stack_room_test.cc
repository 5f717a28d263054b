#include "stack_room.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>

#include "checkRun.h"
#include "errors.h"
#include "flat.h"
#include "simplify.h"
#include "structuralIds.h"
#include "tree_builders.h"
#include "xzoDump.h"
#include "xzoDumpScope.h"
#include "xzoTyping.h"

using namespace build;

namespace {

// Leaves the recursions 256 KiB below the test's frame, far less than 100000
// levels need, and lifts the floor again afterwards.
class StackRoom : public ::testing::Test {
 protected:
  StackRoom() {
    auto here = reinterpret_cast<std::uintptr_t>(__builtin_frame_address(0));
    stack_room::keep_above(reinterpret_cast<const void*>(here - (256 << 10)), 0);
  }
  ~StackRoom() override { stack_room::floor_address = 0; }
};

// not (not ( ... b)) with `levels` negations.
const val_exp* negations(int levels) {
  const val_exp* e = var("b");
  for (int level = 0; level < levels; ++level) e = node_of(nat_not, {e});
  return e;
}

std::string failure_of(const std::function<void()>& work) {
  try {
    work();
  } catch (const Fatal_error& failure) {
    return std::string(failure.name()) + ": " + failure.what();
  }
  return "";
}

constexpr const char* too_deep =
    "Out_of_memory: the input nests too deeply for the work stack";

}  // namespace

TEST_F(StackRoom, EveryDeepRecursionStopsAtTheFloorAndShallowOnesPass) {
  for (int levels : {10, 100000}) {
    SCOPED_TRACE(levels);
    const char* expected = levels == 10 ? "" : too_deep;
    const val_exp* e = negations(levels);
    package_builder source;
    source.node({id("N"),
                 seq({input("b", bool_type_exp())}),
                 seq({var_flow("y", bool_type_exp())}),
                 {},
                 {},
                 seq({equation({left_var("y")}, e)}),
                 {}});
    std::unique_ptr<env> environment = get_env(source.pack);
    std::unique_ptr<env> in =
        get_node_env(*environment, *source.pack.opers.find("N")->node);
    EXPECT_EQ(failure_of([&] { exp_type(*in, e); }), expected);
    EXPECT_EQ(failure_of([&] { exp_clock(*in, e); }), expected);
    EXPECT_EQ(failure_of([&] { structural_ids().id_of(e); }), expected);
    EXPECT_EQ(print_into_string([&] { dump_val_exp(*in, e); }).failure, expected);
    EXPECT_EQ(print_into_string([&] { simplify_package(source.pack, {}); }).failure,
              expected);
    EXPECT_EQ(
        print_into_string([&] { flat_node_in_package("N", source.pack, {}); }).failure,
        expected);
  }
}

// zocheck reports an input nesting beyond the stack as a fatal failure of the
// run, after the file's reading, with status 2.
TEST_F(StackRoom, TheCheckerEndsAnInputTooDeepForTheStackWithAFatalError) {
  std::string path = testing::TempDir() + "too_deep.zo";
  std::FILE* file = std::fopen(path.c_str(), "w");
  ASSERT_NE(file, nullptr);
  std::fputs("node N (b : bool) returns (y : bool);\nlet\n  y = ", file);
  for (int level = 0; level < 100000; ++level) std::fputs("not ", file);
  std::fputs("b;\ntel\n", file);
  std::fclose(file);
  const char* arguments[] = {"zocheck", path.c_str()};
  testing::internal::CaptureStderr();
  EXPECT_EQ(run_check(2, arguments), 2);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            std::string("zocheck: fatal error: ") + too_deep + "\n");
  std::remove(path.c_str());
}
