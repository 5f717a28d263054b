#include "checkFile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <optional>

#include "arena.h"
#include "checkDeps.h"
#include "checkDiag.h"
#include "checkNode.h"
#include "checkPackage.h"
#include "checkStop.h"
#include "xzoLexer.h"

namespace {

// Reads what the input holds up to its first syntax or lexical error, which
// ends the reading.
template <typename... Input>
void read_into(package& pack, reading_places& places, diagnostics& found,
               source_lines& lines, Input&... input) {
  try {
    read_checked(input..., pack, places);
  } catch (const Syntax_error& failure) {
    report_syntax_stop(found, failure.position, places.expectations(), lines);
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
                                       reading_places& places, diagnostics& found,
                                       zo_run& run) {
  struct stat status;
  off_t start = ::lseek(input.fd, 0, SEEK_CUR);
  if (::fstat(input.fd, &status) == 0 && S_ISREG(status.st_mode) && start >= 0) {
    source_lines lines(input.fd, static_cast<std::uint64_t>(start));
    read_into(pack, places, found, lines, input, run);
    return lines;
  }
  std::string_view text = read_channel(input, run);
  source_lines lines(text);
  read_into(pack, places, found, lines, text);
  return lines;
}

// Every check of a node, the warning of a -cleanall that changes it included.
// What the first step leaves nil is only said of a node without error.
void check_whole_node(check_scope& scope, const env& environment, const node_def& node,
                      bool unused_warnings) {
  std::size_t errors_before = scope.found.pending_errors();
  bool keeps_inputs = check_node(scope, environment, node, unused_warnings);
  check_dependencies(scope, node, scope.found.pending_errors() == errors_before);
  if (!keeps_inputs) warn_interface_change(scope, node);
}

// The node read again from its text with the places of its body; null when
// it does not read as the same node again.
const node_def* node_read_again(const input_channel& input, source_lines& lines,
                                const node_start& start, const node_def& node,
                                package& again, reading_places& places) {
  std::optional<std::uint64_t> offset = lines.offset_of(start.line, start.column);
  if (!offset) return nullptr;
  try {
    if (std::optional<std::string_view> text = lines.kept_from(*offset))
      read_node_again(*text, start, again, places);
    else
      read_node_again(input, *offset, start, again, places);
  } catch (const Syntax_error&) {
    return nullptr;
  } catch (const Lexical_error&) {
    return nullptr;
  }
  if (again.opers.size() != 1) return nullptr;
  const oper& read = *again.opers.begin()->value;
  if (read.kind != node_oper || read.node->name->text() != node.name->text())
    return nullptr;
  return read.node;
}

// A node is checked on the body read without places, up to the first
// diagnostic that wants a place there; then the node is read again with them
// and checked again in place of that first check. The node read again goes
// with its check. A node that does not read again keeps its first check,
// made whole.
void check_node_placed(check_scope& scope, const env& environment, const node_def& node,
                       bool unused_warnings, const input_channel& input,
                       source_lines& lines) {
  diagnostics::mark before = scope.found.found_so_far();
  const node_start* start = scope.places->start_of(node);
  if (start == nullptr) {
    check_whole_node(scope, environment, node, unused_warnings);
    return;
  }
  bool stopped = false;
  scope.found.stop_at_unplaced(true);
  try {
    check_whole_node(scope, environment, node, unused_warnings);
  } catch (const place_wanted&) {
    stopped = true;
  }
  scope.found.stop_at_unplaced(false);
  if (!stopped && !scope.found.any_unplaced_since(before)) return;
  bool checked_again = false;
  arena::mark filled = run_arena().filled();
  {
    package again;
    reading_places node_places;
    if (const node_def* placed =
            node_read_again(input, lines, *start, node, again, node_places)) {
      const reading_places* file_places = scope.places;
      scope.found.forget_since(before);
      scope.places = &node_places;
      check_whole_node(scope, environment, *placed, unused_warnings);
      scope.places = file_places;
      checked_again = true;
    }
  }
  run_arena().rewind(filled);
  if (checked_again || !stopped) return;
  scope.found.forget_since(before);
  check_whole_node(scope, environment, node, unused_warnings);
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
                        const check_settings& settings, zo_run& run) {
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
  reading_places places(reading_places::bodies::shared);
  lines = read_input(input, pack, places, found, run);
  check_scope scope{pack, &places, found, &*lines};
  std::unique_ptr<env> environment = check_package(scope);
  report_recursion(scope);
  found.hold();
  for (ident called : places.calls()) scope.called.try_emplace(called->text(), true);
  for_each_node(pack, [&](const node_def& node) {
    check_node_placed(scope, *environment, node, settings.unused_warnings, input, *lines);
    found.flush();
  });
  found.finish();
  return counts;
}
