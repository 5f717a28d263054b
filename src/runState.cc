#include "runState.h"

#include <optional>

#include "arena.h"
#include "verbose.h"
#include "xzo.h"
#include "xzoDecls.h"
#include "xzoLexer.h"
#include "xzoTypingEnv.h"
#include "xzoUsrOps.h"

namespace {

// What the arena holds before any run: the shared trees made at start-up and
// the basic types, made here first if no run has made them yet.
const arena::mark& start_of_runs() {
  static const arena::mark start = [] {
    bool_type_exp();
    int_type_exp();
    real_type_exp();
    return run_arena().filled();
  }();
  return start;
}

}  // namespace

void reset_run_settings() {
  verbose::set(0);
  empty_env().clear_node_part();
}

void reset_run_state() {
  reset_run_settings();
  reset_positions();
  run_package() = {};
  forget_texts_read();
  run_arena().rewind(start_of_runs());
}
