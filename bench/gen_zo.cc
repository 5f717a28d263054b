// Writes a generated zo program of about the requested size (default 50 MB)
// on standard output; with -short, every name but the nodes' has 1 to 3
// characters, as in generated code, and the program is otherwise the same;
// with -seed N, the program of that seed (by default the program of seed 0).
// Usage: gen_zo [-short] [-seed N] [BYTES]
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "zoGenerator.h"

int main(int argc, char* argv[]) {
  generator_shape shape;
  unsigned long long seed = 0;
  for (;;) {
    if (argc > 1 && std::string_view(argv[1]) == "-short") {
      shape.short_names = true;
      --argc;
      ++argv;
    } else if (argc > 2 && std::string_view(argv[1]) == "-seed") {
      seed = std::strtoull(argv[2], nullptr, 10);
      argc -= 2;
      argv += 2;
    } else {
      break;
    }
  }
  long long target = argc > 1 ? std::atoll(argv[1]) : 50'000'000;
  random_choices choices(seed);
  zo_generator generator(choices, shape);
  std::string text = generator.declarations();
  for (int index = 0;; ++index) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    target -= static_cast<long long>(text.size());
    if (target <= 0) break;
    text = generator.node(index);
  }
  return 0;
}
