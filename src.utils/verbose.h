// The verbosity level set by -v and -vv, and the optional progress messages
// that it lets through on standard error.
#pragma once

namespace verbose {

/// Sets the verbosity level (0 at start, 1 for -v, 2 for -vv).
void set(int level);

/// The current verbosity level.
int level();

/// True when a message of this level is shown at the current level.
inline bool shown(int message_level) { return level() >= message_level; }

/// Writes the formatted message on standard error when its level is shown.
[[gnu::format(printf, 2, 3)]] void printf(int message_level, const char* format, ...);

}  // namespace verbose
