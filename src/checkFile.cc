#include "checkFile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <optional>

#include "checkDiag.h"
#include "checkNode.h"
#include "checkPackage.h"
#include "xzoLexer.h"

namespace {

// The token's text with its control bytes written as \xHH, for a message.
std::string shown_token(std::string_view text) {
  static const char hex[] = "0123456789abcdef";
  std::string shown;
  for (char byte : text) {
    auto code = static_cast<unsigned char>(byte);
    if (code >= 0x20 && code != 0x7f) {
      shown += byte;
      continue;
    }
    shown += "\\x";
    shown += hex[code >> 4];
    shown += hex[code & 15];
  }
  return shown;
}

// Reads what the input holds up to its first syntax or lexical error, which
// ends the reading.
template <typename Input>
void read_into(const Input& input, package& pack, reading_places& places,
               diagnostics& found) {
  try {
    read_checked(input, pack, places);
  } catch (const Syntax_error&) {
    const lexeme& at = last_made();
    found.error({at.line, at.cstart, at.line, at.cend}, "syntax",
                "syntax error at '" + shown_token(at.str) +
                    "'; the file is not checked past this point");
  } catch (const Lexical_error& failure) {
    found.error(
        {failure.line(), failure.column(), failure.line(), failure.column() + 1},
        "lexical",
        std::string(failure.what()) + "; the file is not checked past this point");
  }
}

// A regular file is read once, a little at a time, and its lines read again
// for the diagnostics; another input is kept whole for them.
std::optional<source_lines> read_input(const input_channel& input, package& pack,
                                       reading_places& places, diagnostics& found) {
  struct stat status;
  off_t start = ::lseek(input.fd, 0, SEEK_CUR);
  if (::fstat(input.fd, &status) == 0 && S_ISREG(status.st_mode) && start >= 0) {
    read_into(input, pack, places, found);
    return source_lines(input.fd, static_cast<std::uint64_t>(start));
  }
  std::string_view text = read_channel(input);
  read_into(text, pack, places, found);
  return source_lines(text);
}

// The nodes in source order, each with the operator it is.
template <typename Action>
void for_each_node(const package& pack, Action action) {
  for (const def_item& item : pack.items) {
    if (item.kind != oper_item) continue;
    const oper* declared = pack.opers.find(item.name->text());
    if (declared->kind == node_oper) action(*declared->node);
  }
}

}  // namespace

check_counts check_file(const input_channel& input, const std::string& shown_name,
                        const check_settings& settings) {
  check_counts counts;
  std::optional<source_lines> lines;
  diagnostics found([&](diagnostic& d) {
    if (settings.warnings_as_errors && d.level == severity::warning)
      d.level = severity::error;
    ++(d.level == severity::error ? counts.errors : counts.warnings);
    if (settings.json)
      print_json(shown_name, d);
    else
      print_text(shown_name, *lines, d);
  });
  package pack;
  reading_places places;
  lines = read_input(input, pack, places, found);
  check_scope scope{pack, places, found};
  std::unique_ptr<env> environment = check_package(scope);
  found.hold();
  for (ident called : places.calls()) scope.called.try_emplace(called->text(), true);
  for_each_node(pack, [&](const node_def& node) {
    if (!check_node(scope, *environment, node, settings.unused_warnings))
      warn_interface_change(scope, node);
    found.flush();
  });
  found.finish();
  return counts;
}
