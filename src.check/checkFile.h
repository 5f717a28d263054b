// One file through zocheck: read with the places of its declarations, every
// check, each node read again with the places of its body when a diagnostic
// wants one, the diagnostics printed in source order as each node is done.
#pragma once

#include <cstddef>
#include <string>

#include "checkArg.h"
#include "xzo.h"

struct check_counts {
  std::size_t errors = 0;
  std::size_t warnings = 0;
};

/// Checks the input, shown as `shown_name` in diagnostics, and prints its
/// diagnostics on standard output; fails only with the `System_error` of an
/// input that cannot be read. The run keeps the texts read.
check_counts check_file(const input_channel& input, const std::string& shown_name,
                        const check_settings& settings, zo_run& run);
