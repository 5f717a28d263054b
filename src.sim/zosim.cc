#include "simRun.h"
#include "workStack.h"

int main(int argc, char* argv[]) { return run_on_work_stack(run_sim, argc, argv); }
