#include "output.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

#include "errors.h"

namespace {

// Standard output on a full device, for the length of the test.
struct full_standard_output {
  full_standard_output() : saved(dup(STDOUT_FILENO)) {
    int full = open("/dev/full", O_WRONLY);
    dup2(full, STDOUT_FILENO);
    close(full);
  }
  ~full_standard_output() {
    dup2(saved, STDOUT_FILENO);
    close(saved);
  }
  int saved;
};

TEST(Output, AWriteThatStandardOutputRefusesFailsWithTheSystemsReason) {
  std::string beyond_the_buffer(output::buffer_state::capacity + 1, 'z');
  full_standard_output full;
  try {
    output::write(beyond_the_buffer);
    ADD_FAILURE() << "the write succeeded";
  } catch (const System_error& failure) {
    EXPECT_EQ(failure.message, "standard output: No space left on device");
  }
  EXPECT_EQ(output::buffer_state::used, 0u);
}

}  // namespace
