// Counts the tokens of a file with the lexer alone, to measure its speed
// without the cost of printing them.
#include <fcntl.h>

#include <chrono>
#include <cstdio>

#include "xzo.h"
#include "xzoLexer.h"

int main(int argc, char* argv[]) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: lex_bench FILE\n");
    return 2;
  }
  int fd = ::open(argv[1], O_RDONLY);
  if (fd < 0) {
    std::perror(argv[1]);
    return 1;
  }
  std::string_view text = read_channel({argv[1], fd});
  auto start = std::chrono::steady_clock::now();
  lexer_buffer buffer{text};
  long long tokens = 0;
  while (lexer(buffer).kind != TK_EOF) ++tokens;
  std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
  std::printf("%lld tokens in %.3f s: %.0f MB/s\n", tokens, elapsed.count(),
              text.size() / 1e6 / elapsed.count());
  return 0;
}
