// The words in which za2vu reports what typing found wrong.
#pragma once

#include <string>

#include "xzoTyping.h"

/// How za2vu reports a typing failure: as an error of the input (status 1),
/// as the fatal error `name` (status 2), or as an internal error of the
/// function `name` (status 1).
struct typing_report {
  enum class form : unsigned char { error, fatal, internal };
  form shown_as;
  const char* name;
  std::string message;
};

/// The report of the failure, in za2vu's exact words.
typing_report report_of(const Typing_failure& failure);
