// The note for a mistake of precedence: '=' and '<>' bind looser than 'and',
// 'or' and 'xor', so that "x = 3 and y = 4" reads as "x = ((3 and y) = 4)".
#pragma once

#include "checkDiag.h"
#include "checkLines.h"
#include "xzoPlaces.h"

/// Adds to `d`, an error about the operands of `logic` (an 'and', 'or' or
/// 'xor'), a note saying how to group what was likely meant, when `logic` is
/// an unparenthesised operand of an '=' or '<>' (`parent`, itself maybe the
/// right operand of `grandparent`). The grouping is shown written out when
/// the source shows it on one line.
void note_precedence_trap(diagnostic& d, const val_exp* logic, const val_exp* parent,
                          const val_exp* grandparent, const reading_places& places,
                          source_lines* lines);
