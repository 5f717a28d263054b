#include "checkRun.h"
#include "workStack.h"

int main(int argc, char* argv[]) { return run_on_work_stack(run_check, argc, argv); }
