#include "checkText.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(CheckText, QuotedNamesKeepTheirEndsPastTheBound) {
  EXPECT_EQ(quoted_name("x"), "'x'");
  std::string longest(quoted_most, 'a');
  EXPECT_EQ(quoted_name(longest), "'" + longest + "'");
  std::string name = "head" + std::string(10000, 'm') + "tail";
  std::string shown = quoted_name(name);
  EXPECT_LE(shown.size(), quoted_most + 2);
  EXPECT_TRUE(shown.starts_with("'headmmm")) << shown;
  EXPECT_TRUE(shown.ends_with("mmmtail'")) << shown;
  EXPECT_NE(shown.find("..."), std::string::npos);
  // A cut never splits a UTF-8 sequence.
  std::string accents;
  for (int count = 0; count < 100; ++count) accents += "\xC3\xA9";
  std::string cut = quoted_name(accents);
  EXPECT_EQ(json_string(cut).find("\\u00"), std::string::npos) << cut;
}

TEST(CheckText, Utf8SequencesValidAndNot) {
  struct sequence {
    const char* bytes;
    std::size_t length;
  };
  const sequence table[] = {
      {"a", 1},
      {"\xC3\xA9", 2},          // é
      {"\xE2\x82\xAC", 3},      // €
      {"\xF0\x9F\x98\x80", 4},  // an emoji
      {"\xEF\xBB\xBF", 3},      // the byte-order mark
      {"\xC3", 0},              // cut short
      {"\xE2\x82", 0},          // cut short
      {"\xA9", 0},              // a lone continuation
      {"\xC0\x80", 0},          // overlong
      {"\xC1\xBF", 0},          // overlong
      {"\xE0\x80\x80", 0},      // overlong
      {"\xF0\x80\x80\x80", 0},  // overlong
      {"\xED\xA0\x80", 0},      // a surrogate
      {"\xF4\x90\x80\x80", 0},  // past U+10FFFF
      {"\xF5\x80\x80\x80", 0},  // no such first byte
      {"\xFF", 0},
      {"\xC3\x28", 0},  // a continuation missing
  };
  for (const sequence& entry : table)
    EXPECT_EQ(utf8_length_at(entry.bytes, 0), entry.length) << entry.bytes;
  EXPECT_EQ(utf8_length_at("ab", 2), 0u);
}

TEST(CheckText, JsonStringsEscapeWhatJsonAndUtf8Refuse) {
  EXPECT_EQ(json_string("plain"), "\"plain\"");
  EXPECT_EQ(json_string("a\"b\\c"), "\"a\\\"b\\\\c\"");
  EXPECT_EQ(json_string(std::string("\t\n\0\x1f", 4)),
            "\"\\u0009\\u000a\\u0000\\u001f\"");
  EXPECT_EQ(json_string("caf\xC3\xA9"), "\"caf\xC3\xA9\"");
  EXPECT_EQ(json_string("caf\xE9"), "\"caf\\u00e9\"");
  EXPECT_EQ(json_string("\xC3"), "\"\\u00c3\"");
  EXPECT_EQ(json_string("\xED\xA0\x80!"), "\"\\u00ed\\u00a0\\u0080!\"");
  EXPECT_EQ(json_string("\x7f"), "\"\x7f\"");
}

TEST(CheckText, ShownLinesKeepOneColumnAByteWithoutControlBytes) {
  EXPECT_EQ(shown_line("\tx = caf\xC3\xA9;"), "\tx = caf\xC3\xA9;");
  EXPECT_EQ(shown_line("a\x1b[2Jb\x7f\r"), "a?[2Jb??");
  EXPECT_EQ(shown_line("caf\xE9 \xC3"), "caf? ?");
  EXPECT_EQ(shown_line(std::string("\0x", 2)), "?x");
}

TEST(CheckText, HexBytesInUpperCase) {
  EXPECT_EQ(hex_byte(0xC3), "0xC3");
  EXPECT_EQ(hex_byte(0x05), "0x05");
}

}  // namespace
