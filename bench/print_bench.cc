// Times the writer alone on a parsed file: plain printing, then printing with
// the three user modes on. The text goes to standard output, the times to
// standard error.
#include <fcntl.h>

#include <chrono>
#include <cstdio>

#include "output.h"
#include "xzo.h"
#include "xzoDump.h"
#include "xzoUsrOps.h"

namespace {

double seconds_of(void (*work)(const package&), const package& pack) {
  auto start = std::chrono::steady_clock::now();
  work(pack);
  output::flush();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void with_user_modes(const package& pack) {
  usr_int_mode = usr_real_mode = usr_bool_mode = true;
  dump_pack(pack);
}

}  // namespace

int main(int argc, char* argv[]) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: print_bench FILE\n");
    return 2;
  }
  int fd = ::open(argv[1], O_RDONLY);
  if (fd < 0) {
    std::perror(argv[1]);
    return 1;
  }
  auto start = std::chrono::steady_clock::now();
  const package& pack = read({argv[1], fd}).pack;
  double reading =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  double plain = seconds_of(dump_pack, pack);
  double modes = seconds_of(with_user_modes, pack);
  std::fprintf(stderr, "read %.3f s, print %.3f s, print with user modes %.3f s\n",
               reading, plain, modes);
  return 0;
}
