#include "programText.h"

#include <algorithm>

namespace program_text {

namespace {

bool word_byte(char c) {
  return c == '_' || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
         (c >= '0' && c <= '9');
}

// Calls `visit` with every line of the text, without its line break, and the
// offset of the line's first byte.
template <typename Visit>
void for_each_line(std::string_view text, Visit visit) {
  for (std::size_t at = 0; at < text.size();) {
    std::size_t end = text.find('\n', at);
    if (end == std::string_view::npos) end = text.size();
    visit(text.substr(at, end - at), at);
    at = end + 1;
  }
}

bool annotation(std::string_view line) { return line.starts_with("--%"); }

}  // namespace

bool readable(std::string_view text) {
  bool found = true;
  for_each_line(text, [&](std::string_view line, std::size_t) {
    if (annotation(line)) return;
    if (line.find("__DUMMY") != std::string_view::npos) found = false;
    for (std::size_t at = line.find('['); at != std::string_view::npos;
         at = line.find('[', at + 1))
      if (at > 0 &&
          (word_byte(line[at - 1]) || line[at - 1] == ')' || line[at - 1] == ']'))
        found = false;
  });
  return found;
}

std::string outside_bodies(std::string_view text) {
  std::string kept;
  bool body = false;
  for_each_line(text, [&](std::string_view line, std::size_t) {
    if (line == "let") body = true;
    if (!body) (kept += line) += '\n';
    if (line == "tel") body = false;
  });
  return kept;
}

std::string without_nodes(std::string_view text) {
  std::string kept;
  bool node = false;
  for_each_line(text, [&](std::string_view line, std::size_t) {
    if (line.starts_with("node ")) node = true;
    if (!node) (kept += line) += '\n';
    if (line == "tel") node = false;
  });
  return kept;
}

std::string_view first_node(std::string_view text) {
  if (!text.starts_with("node ")) return text;
  std::size_t end = text.find("\ntel\n");
  return end == std::string_view::npos ? text : text.substr(0, end + 5);
}

std::vector<node_text> nodes(std::string_view text) {
  std::vector<node_text> found;
  node_text node;
  enum class part { outside, inputs, outputs, locals, body } in = part::outside;
  std::size_t start = 0;
  for_each_line(text, [&](std::string_view line, std::size_t at) {
    std::size_t next = std::min(at + line.size() + 1, text.size());
    switch (in) {
      case part::outside:
        if (!line.starts_with("node ")) return;
        node.name = line.substr(5, line.find(' ', 5) - 5);
        in = part::inputs;
        start = next;
        return;
      case part::inputs:
        if (line != ") returns (") return;
        node.inputs = text.substr(start, at - start);
        in = part::outputs;
        start = next;
        return;
      case part::outputs:
        if (line != ");") return;
        node.outputs = text.substr(start, at - start);
        in = part::locals;
        return;
      case part::locals:
        if (line != "let") return;
        in = part::body;
        start = next;
        return;
      case part::body:
        if (line != "tel") return;
        node.body = text.substr(start, at - start);
        found.push_back(node);
        node = {};
        in = part::outside;
        return;
    }
  });
  return found;
}

node_text find_node(std::string_view text, std::string_view name) {
  for (node_text node : nodes(text))
    if (node.name == name) return node;
  return {};
}

std::vector<std::string_view> names_declared(std::string_view flows) {
  std::vector<std::string_view> names;
  for_each_line(flows, [&](std::string_view line, std::size_t) {
    std::size_t colon = line.find(':');
    std::string_view declared = line.substr(0, colon);
    for (std::size_t at = 0; at < declared.size();) {
      if (!word_byte(declared[at])) {
        ++at;
        continue;
      }
      std::size_t start = at;
      while (at < declared.size() && word_byte(declared[at])) ++at;
      names.push_back(declared.substr(start, at - start));
    }
  });
  return names;
}

bool mentions(std::string_view text, std::string_view name) {
  bool found = false;
  for_each_line(text, [&](std::string_view line, std::size_t) {
    if (annotation(line)) return;
    for (std::size_t at = line.find(name); at != std::string_view::npos;
         at = line.find(name, at + 1)) {
      std::size_t end = at + name.size();
      if ((at == 0 || !word_byte(line[at - 1])) &&
          (end == line.size() || !word_byte(line[end])))
        found = true;
    }
  });
  return found;
}

}  // namespace program_text
