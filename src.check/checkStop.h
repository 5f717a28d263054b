// The error that stops the reading of a file, in words that name the mistake
// where the reader can tell it: a byte outside ASCII, a byte-order mark, a
// keyword written as a name, a missing ';' or 'tel'.
#pragma once

#include "checkDiag.h"
#include "checkLines.h"
#include "lexeme.h"
#include "xzoPlaces.h"

/// Reports the syntax error at `at`, the last position the reader made, with
/// what the parser could read there; `lines` shows the file's first bytes.
void report_syntax_stop(diagnostics& found, const lexeme& at,
                        const syntax_expectations& expected, source_lines& lines);
