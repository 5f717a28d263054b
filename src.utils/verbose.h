// The verbosity level set by -v and -vv, and the optional progress messages
// that it lets through on standard error.
#pragma once

/// A verbosity level: 0 unless asked, 1 for -v, 2 for -vv.
class verbosity {
 public:
  constexpr verbosity() = default;
  constexpr explicit verbosity(int level) : level_(level) {}

  /// True when a message of this level is shown at this verbosity.
  bool shown(int message_level) const { return level_ >= message_level; }

  /// Writes the formatted message on standard error when its level is shown.
  [[gnu::format(printf, 3, 4)]] void printf(int message_level, const char* format,
                                            ...) const;

 private:
  int level_ = 0;
};
