// The state a run leaves in the process: the settings, the declarations, the
// trees and texts read, the positions, the caches of typing and printing.
#pragma once

/// Brings the process back to the state it starts in, so that one process can
/// run the program on many inputs in turn (as the fuzzing harness does): call it
/// before each run, the first included. Every tree, text and position of the
/// runs before is released.
void reset_run_state();

/// Brings back the settings and the typing state of a run, keeping what it
/// read: for a run of another mode on the same package.
void reset_run_settings();
