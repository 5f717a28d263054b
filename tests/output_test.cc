#include "output.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "checkRun.h"
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

// zocheck's report held in the buffer fails when it is written at the end:
// the system's reason, and status 2.
TEST(Output, ACheckerWhoseReportStandardOutputRefusesEndsWithStatus2) {
  std::string path = testing::TempDir() + "refused_report.zo";
  std::FILE* file = std::fopen(path.c_str(), "w");
  ASSERT_NE(file, nullptr);
  std::fputs("node N (b : bool) returns (y : bool);\nlet\n  y = c;\ntel\n", file);
  std::fclose(file);
  const char* arguments[] = {"zocheck", path.c_str()};
  testing::internal::CaptureStderr();
  int status = 0;
  {
    full_standard_output full;
    status = run_check(2, arguments);
  }
  EXPECT_EQ(status, 2);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "zocheck: standard output: No space left on device\n");
  std::remove(path.c_str());
}

}  // namespace
