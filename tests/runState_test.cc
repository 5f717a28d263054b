#include "runState.h"

#include <gtest/gtest.h>

#include "arena.h"
#include "mainArg.h"
#include "scratch_list.h"
#include "verbose.h"
#include "xzoDecls.h"

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
  EXPECT_NE(store.allocate(std::size_t{6} << 20), big);  // too small: replaced
  EXPECT_EQ(store.reserved(), reserved + (std::size_t{6} << 20));
}

TEST(ScratchList, CellsKeptForReuseAreForgottenWithTheArena) {
  scratch_list<int> list = append(scratch_list<int>{}, 1);
  auto* recycled = list.last;
  consume(list, [](int) {});
  EXPECT_EQ(append(scratch_list<int>{}, 2).last, recycled);  // reused while valid
  consume(scratch_list<int>{recycled}, [](int) {});
  forget_scratch_cells();
  EXPECT_NE(append(scratch_list<int>{}, 3).last, recycled);
}

TEST(ResetRunState, ForgetsSettingsAndDeclarations) {
  const char* argv[] = {"za2vu", "-vv", "-simp", "-k2quelm", "h", "in.zo"};
  ASSERT_FALSE(main_arg::parse(6, argv));
  run_package().items.push_back({const_item, nullptr});
  reset_run_state();
  EXPECT_FALSE(main_arg::simplify());
  EXPECT_FALSE(main_arg::kind2quelm());
  EXPECT_TRUE(main_arg::infile().empty());
  EXPECT_EQ(verbose::level(), 0);
  EXPECT_TRUE(run_package().items.empty());
}

}  // namespace
