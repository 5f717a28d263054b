#include "checkDiag.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <optional>
#include <string>

namespace {

TEST(CheckDiag, CountLineNamesOnlyWhatWasFoundWithSingulars) {
  EXPECT_EQ(count_line(2, 1), "2 errors, 1 warning generated.");
  EXPECT_EQ(count_line(1, 0), "1 error generated.");
  EXPECT_EQ(count_line(0, 3), "3 warnings generated.");
}

TEST(CheckDiag, SourceOrderHeldAmongFlushedSameplaceInOrderFoundPlacelessLast) {
  std::string order;
  diagnostics found([&](diagnostic& d) { order += d.code; });
  // The package's: held until the checks pass their places.
  found.error({}, "a", "no place");
  found.error({3, 1, 3, 1}, "b", "second at 3:1");
  found.warning({2, 5, 2, 5}, "c", "at 2:5");
  found.error({9, 1, 9, 1}, "e", "after the node");
  found.hold();
  EXPECT_EQ(order, "");
  // A node's: given at its end with the held ones before and among them.
  found.error({3, 1, 3, 2}, "d", "third at 3:1");
  found.error({2, 1, 2, 1}, "f", "at 2:1");
  found.warning({}, "g", "no place either");
  found.flush();
  EXPECT_EQ(order, "fcbd");
  found.error({12, 1, 12, 1}, "h", "in a later node");
  found.flush();
  EXPECT_EQ(order, "fcbdeh");
  found.finish();
  EXPECT_EQ(order, "fcbdehag");
}

TEST(CheckDiag, SourceLinesFromKeptTextAndFromFileAgree) {
  const std::string text = "first\n\tsecond\r\n\n" + std::string(70000, 'x') + "\nlast";
  std::string lines_text;
  for (int line = 5; line < 300; ++line)
    lines_text += "line " + std::to_string(line) + "\n";
  std::string whole = text + "\n" + lines_text;
  FILE* file = std::tmpfile();
  ASSERT_NE(file, nullptr);
  std::fputs("skipped", file);
  std::fputs(whole.c_str(), file);
  std::fflush(file);
  source_lines kept(whole);
  source_lines read(fileno(file), 7);
  // Forward, backward past marks, past the end.
  for (int line : {1, 2, 3, 4, 5, 200, 70, 2, 299, 300, 301, 0, 4, 140, 69}) {
    std::string from_text(kept.line(line));
    EXPECT_EQ(from_text, read.line(line)) << "line " << line;
  }
  EXPECT_EQ(kept.line(2), "\tsecond");
  EXPECT_EQ(kept.line(4).size(), 70000u);
  EXPECT_EQ(read.line(5), "last");
  EXPECT_EQ(read.line(6), "line 5");
  EXPECT_EQ(read.line(300), "line 299");
  EXPECT_EQ(read.line(301), "");
  EXPECT_EQ(read.line(302), "");
  // Offsets: the file's count its skipped start, the kept text's do not.
  EXPECT_EQ(read.offset_of(2, 2), std::optional<std::uint64_t>(7 + 7));
  EXPECT_EQ(kept.offset_of(300, 1), whole.find("line 299"));
  EXPECT_EQ(read.offset_of(303, 1), std::nullopt);
  EXPECT_EQ(kept.kept_from(6),
            "\tsecond\r\n\n" + std::string(70000, 'x') + "\nlast\n" + lines_text);
  EXPECT_EQ(read.kept_from(6), std::nullopt);
  std::fclose(file);
}

// What a node's first check found is forgotten when a place is missing there:
// in a diagnostic or only in a note; what came before stays.
TEST(CheckDiag, UnplacedSinceAMarkAndForgotten) {
  std::string order;
  diagnostics found([&](diagnostic& d) { order += d.code; });
  found.warning({}, "a", "no place, before");
  found.error({1, 1, 1, 1}, "b", "before");
  diagnostics::mark before = found.found_so_far();
  EXPECT_FALSE(found.any_unplaced_since(before));
  found.error({2, 1, 2, 1}, "c", "placed").notes.push_back({{}, "unplaced note"});
  EXPECT_TRUE(found.any_unplaced_since(before));
  found.forget_since(before);
  EXPECT_FALSE(found.any_unplaced_since(before));
  found.warning({}, "d", "no place");
  EXPECT_TRUE(found.any_unplaced_since(before));
  found.forget_since(before);
  found.stop_at_unplaced(true);
  EXPECT_THROW(found.warning({}, "e", "no place"), place_wanted);
  found.warning({3, 1, 3, 1}, "f", "placed");
  found.stop_at_unplaced(false);
  found.forget_since(before);
  EXPECT_EQ(found.pending_errors(), 1u);
  found.finish();
  EXPECT_EQ(order, "ba");
}

// Parts of a line, as a cut line shows them: from a column, a bounded
// count, and whether the line goes on, its "\r\n" and the end of the text
// ending it.
TEST(CheckDiag, LinePartsFromKeptTextAndFromFileAgree) {
  const std::string whole = "short\r\n" + std::string(100000, 'y') + "z\nab\r\ncd\r";
  FILE* file = std::tmpfile();
  ASSERT_NE(file, nullptr);
  std::fputs(whole.c_str(), file);
  std::fflush(file);
  source_lines kept(whole);
  source_lines read(fileno(file), 0);
  struct part {
    int line;
    int column;
    std::size_t count;
    std::string text;
    bool more;
  };
  const part table[] = {
      {1, 1, 5, "short", false},    {1, 1, 4, "shor", true},
      {1, 2, 3, "hor", true},       {1, 1, 160, "short", false},
      {2, 99990, 5, "yyyyy", true}, {2, 99998, 5, "yyyz", false},
      {3, 1, 2, "ab", false},       {3, 1, 1, "a", true},
      {4, 1, 2, "cd", false},       {5, 1, 3, "", false},
  };
  for (source_lines* lines : {&kept, &read})
    for (const part& expected : table) {
      bool more = !expected.more;
      std::string text(
          lines->line_part(expected.line, expected.column, expected.count, more));
      EXPECT_EQ(text, expected.text) << expected.line << ":" << expected.column;
      EXPECT_EQ(more, expected.more) << expected.line << ":" << expected.column;
    }
  std::fclose(file);
}

}  // namespace
