#include "input/reading.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "e2e_support.h"

namespace runcheck {
namespace {

std::vector<std::int32_t> numbers_of(std::string_view text) {
  text_reader file = text_reader::from_memory(text);
  key_line line;
  scan_key_line(file, line);
  return {line.view().begin(), line.view().end()};
}

// What is left for the next read after one read of `read`.
std::string rest_after(std::string_view text, void (*read)(text_reader&)) {
  text_reader file = text_reader::from_memory(text);
  read(file);
  std::string rest;
  for (int c = file.get(); c != text_reader::end_of_file; c = file.get())
    rest.push_back(static_cast<char>(c));
  return rest;
}

TEST(key_line_read, tokens) {
  struct row {
    const char* name;
    std::string_view line;
    std::vector<std::int32_t> want;
  };
  const row rows[] = {
      {"plain", "9 8 7\n", {9, 8, 7}},
      {"runs of spaces", "5  3   8\n", {5, 3, 8}},
      {"leading spaces give no token", "   4 2\n", {4, 2}},
      {"space before line break", "9 8 7 \n", {9, 8, 7, 0}},
      {"empty line", "\n", {0}},
      {"crlf", "9 8 7\r\n", {9, 8, 7}},
      {"lone carriage return stays in its token", "5\r3\n", {5}},
      {"last line without line break", "1 2", {1, 2}},
      {"trailing spaces at end of file", "1 2  ", {1, 2}},
      {"tab inside a token", "5\t3\n", {5}},
      {"leading tab is skipped", "\t5 6\n", {5, 6}},
      {"digits then letters", "12abc 4\n", {12, 4}},
      {"no digits", "x 4\n", {0, 4}},
      {"signs", "-7 +7 - + -0\n", {-7, 7, 0, 0, 0}},
      {"sign twice", "+-5 --5\n", {0, 0}},
      {"NUL is an ordinary character", std::string_view("5\0 3\n", 5), {5, 3}},
      {"saturates high",
       "2147483647 2147483648 99999999999999999999\n",
       {2147483647, 2147483647, 2147483647}},
      {"saturates low",
       "-2147483648 -2147483649 -99999999999999999999\n",
       {-2147483647 - 1, -2147483647 - 1, -2147483647 - 1}},
      {"end of file", "", {}},
      {"only spaces at end of file", "   ", {}},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(r.want, numbers_of(r.line));
  }
}

TEST(key_line_read, stops_after_the_first_line_break) {
  EXPECT_EQ("4 5\n", rest_after("1 2 3\n4 5\n", [](text_reader& f) {
              key_line line;
              scan_key_line(f, line);
            }));
}

TEST(key_line_read, long_line_is_read_in_pieces) {
  // 1000 tokens "1 " is 2000 characters with the line feed at 2001: the
  // first read takes 1999 characters (1000 tokens, the last cut before its
  // space), the second takes the trailing space and the line feed.
  std::string text;
  for (int i = 0; i < 1000; ++i) text += "1 ";
  text += "\n7\n";
  text_reader file = text_reader::from_memory(text);
  key_line line;
  scan_key_line(file, line);
  EXPECT_EQ(1999u, line.chars_read);
  EXPECT_EQ(1000u, line.count);
  scan_key_line(file, line);
  EXPECT_EQ((std::vector<std::int32_t>{0}),
            std::vector<std::int32_t>(line.view().begin(), line.view().end()));
  EXPECT_EQ(7, scan_count(file));
}

TEST(key_line_read, number_cut_at_the_limit_continues_in_the_next_read) {
  std::string text(1997, ' ');
  text += "1234\n";  // "12" fits in the 1999 characters, "34\n" is left
  EXPECT_EQ((std::vector<std::int32_t>{12}), numbers_of(text));
  EXPECT_EQ("34\n", rest_after(text, [](text_reader& f) {
              key_line line;
              scan_key_line(f, line);
            }));
}

TEST(key_line_read, limit_next_to_a_folded_carriage_return) {
  struct row {
    const char* name;
    std::string text;
    std::vector<std::int32_t> want;
    std::size_t chars_read;
    std::string rest;
  };
  const row rows[] = {
      // The CR is the 1999th byte: folded, the LF is the 1999th character.
      {"line feed as the 1999th character",
       std::string(1996, ' ') + "12\r\n34\n",
       {12},
       1999,
       "34\n"},
      // The limit falls just before the CR, which folds in the next read.
      {"limit before the carriage return", std::string(1997, ' ') + "12\r\n", {12}, 1999, "\n"},
      {"lone carriage return at the limit", std::string(1998, ' ') + "\r5\n", {0}, 1999, "5\n"},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.name);
    text_reader file = text_reader::from_memory(r.text);
    key_line line;
    scan_key_line(file, line);
    EXPECT_EQ(r.want, std::vector<std::int32_t>(line.view().begin(), line.view().end()));
    EXPECT_EQ(r.chars_read, line.chars_read);
    std::string rest;
    for (int c = file.get(); c != text_reader::end_of_file; c = file.get())
      rest.push_back(static_cast<char>(c));
    EXPECT_EQ(r.rest, rest);
  }
}

// The reads of `ops` ('c' count read, 'k' key-line read), repeated until the
// file ends, written down one per line.
std::string transcript(text_reader& file, std::string_view ops) {
  std::string out;
  key_line line;
  for (std::size_t i = 0; i < 200 && !file.at_end(); ++i) {
    if (ops[i % ops.size()] == 'c') {
      out += "count " + std::to_string(scan_count(file)) + "\n";
    } else {
      scan_key_line(file, line);
      out += "line of " + std::to_string(line.chars_read) + ":";
      for (const std::int32_t n : line.view()) out += " " + std::to_string(n);
      out += "\n";
    }
  }
  return out;
}

TEST(block_boundaries, read_as_if_the_file_were_one_block) {
  // A file is read in blocks of 64 KiB. Lines of padding, taken by key-line
  // reads, put the first block boundary `split` bytes into the text, for
  // every split the row names (or all of them).
  constexpr std::size_t block_size = std::size_t{64} * 1024;
  struct row {
    const char* name;
    std::string text;
    std::string_view ops;
    std::vector<std::size_t> splits;
  };
  std::string tokens;
  for (int i = 0; i < 1000; ++i) tokens += "1 ";
  const row rows[] = {
      {"numbers and spaces", "12345 678  9\n-42\n", "k", {}},
      {"crlf line ends", "5 6\r\n7 8\r\n\r\n9", "k", {}},
      {"lone carriage returns", "5\r3\r\r\n4\r", "k", {}},
      {"signs, junk and tabs", "-12 +7 x9 - \t3 12ab\r\n", "k", {}},
      {"counts and key lines", "  -123\r\n\r\n 45 6\n+7\n\n-\n8 9", "ck", {}},
      {"count sign and digits", "+2147483648\n-\n5\n99999999999\r\n", "c", {}},
      {"line feed as the 1999th character",
       std::string(1996, ' ') + "12\r\n34\n",
       "k",
       {0, 1, 1000, 1995, 1996, 1997, 1998, 1999, 2000, 2001, 2002}},
      {"limit inside a number",
       std::string(1997, ' ') + "1234\n",
       "k",
       {0, 1, 1996, 1997, 1998, 1999, 2000, 2001}},
      {"long line of tokens", tokens + "\n7\n", "kc", {0, 1, 999, 1998, 1999, 2000, 2001, 2002}},
  };
  testing::temp_dir dir;
  const auto path = dir.path() / "blocks.txt";
  for (const row& r : rows) {
    SCOPED_TRACE(r.name);
    text_reader memory = text_reader::from_memory(r.text);
    const std::string want = transcript(memory, r.ops);
    std::vector<std::size_t> splits = r.splits;
    if (splits.empty()) {
      for (std::size_t k = 0; k <= r.text.size(); ++k) splits.push_back(k);
    }
    for (const std::size_t split : splits) {
      SCOPED_TRACE("split " + std::to_string(split));
      std::string padding;
      std::size_t padding_lines = 0;
      for (std::size_t left = block_size - split; left > 0; ++padding_lines) {
        const std::size_t n = std::min<std::size_t>(left, 1000);
        padding.append(n - 1, 'x').push_back('\n');
        left -= n;
      }
      testing::write_file(path, padding + r.text);
      std::optional<text_reader> file = open_text_file(path.c_str());
      ASSERT_TRUE(file.has_value());
      key_line line;
      for (std::size_t i = 0; i < padding_lines; ++i) scan_key_line(*file, line);
      EXPECT_EQ(want, transcript(*file, r.ops));
    }
  }
}

TEST(count_read, values) {
  struct row {
    const char* name;
    std::string_view text;
    std::int32_t want;
  };
  const row rows[] = {
      {"plain", "10\n", 10},
      {"blank lines before", "\n\n  \t\n10\n", 10},
      {"negative", "-3\n", -3},
      {"plus sign", "+3\n", 3},
      {"count before keys", "3 30 10 20\n", 3},
      {"digits then letters", "12abc\n", 12},
      {"no number", "x\n", 0},
      {"lone sign", "-\n", 0},
      {"end of file", "", 0},
      {"only white space", "\n\n", 0},
      {"saturates high", "2147483648\n", 2147483647},
      {"saturates far", "99999999999\n", 2147483647},
      {"saturates low", "-99999999999\n", -2147483647 - 1},
      {"crlf", "7\r\n", 7},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.name);
    text_reader file = text_reader::from_memory(r.text);
    EXPECT_EQ(r.want, scan_count(file));
  }
}

TEST(count_read, what_the_next_read_sees) {
  struct row {
    const char* name;
    std::string_view text;
    std::string_view rest;
  };
  const row rows[] = {
      {"white space after a number is consumed", "2\n\n\n   9 8\n", "9 8\n"},
      {"count and keys on one line", "3 30 10 20\n", "30 10 20\n"},
      {"no number stops at the first misfit", "  abc\n", "abc\n"},
      {"letters after digits stay", "12abc\n", "abc\n"},
      {"a lone sign is consumed", "- 5\n", " 5\n"},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(r.rest, rest_after(r.text, [](text_reader& f) { scan_count(f); }));
  }
}

TEST(text_reader, folds_only_carriage_return_before_line_feed) {
  text_reader file = text_reader::from_memory("a\r\nb\rc\r");
  std::string got;
  for (int c = file.get(); c != text_reader::end_of_file; c = file.get())
    got.push_back(static_cast<char>(c));
  EXPECT_EQ("a\nb\rc\r", got);
}

}  // namespace
}  // namespace runcheck
