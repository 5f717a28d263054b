// The state a run leaves in the process, kept by the modules that read and
// type: the verbosity, the declarations, the trees and texts read, the
// positions, and what the empty typing environment remembers.
#pragma once

/// Brings the process back to the state it starts in, so that one process can
/// run the program on many inputs in turn (as the fuzzing harness does): call it
/// before each run, the first included. Every tree, text and position of the
/// runs before is released.
void reset_run_state();

/// Brings back the verbosity and the typing state of a run, keeping what it
/// read: for a run of another mode on the same package.
void reset_run_settings();
