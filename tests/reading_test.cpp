// The two reading rules where the reader's blocks end. A file is read in
// blocks of 64 KiB, a carriage return folds with the line feed after it
// across a block's end, and a key-line read stops after 1999 characters.
// No end-to-end case can place a block boundary: here each row is read from
// files that put the first boundary at each place in it (in a long row, at
// each place near its ends).
#include "input/reading.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <random>
#include <string>
#include <tuple>

namespace runcheck {
namespace {

TEST(reading, across_block_boundaries) {
  const std::string spaces(1996, ' ');
  const std::tuple<const char*, std::string, std::string_view, std::string_view> rows[] = {
      {"numbers, signs, junk and tabs", "12345 678  9\n-42 +7 x9 - \t3 12ab\r\n", "k",
       " k13:12345,678,9, k20:-42,7,0,0,3,12,"},
      {"CR LF, lone and doubled CR", "5 6\r\n7\r8\r\r\n\r\n9\r", "k",
       " k4:5,6, k5:7, k1:0,_ k2:9,"},
      {"blank last tokens", "5 6 \n7 \t\n8 0\n\t 9", "k", " k5:5,6,0,_ k4:7,0,_ k4:8,0, k3:0,9,"},
      {"counts and key lines", "  -123\r\n\r\n 45 6\n+7\n\n-\n8 9", "ck",
       " c-123 k5:45,6, c7 k2:0, c8 k1:9,"},
      {"counts saturate", "+2147483648\n-\n5\n99999999999\r\n-99999999999 ", "c",
       " c2147483647 c0? c5 c2147483647 c-2147483648"},
      {"line feed folded as the 1999th character", spaces + "12\r\n34\n", "k", " k1999:12, k3:34,"},
      {"limit just before a CR LF", spaces + " 12\r\n", "k", " k1999:12,/ k1:0,_"},
      {"lone CR at the limit", spaces + "  \r5\n", "k", " k1999:0,_/ k2:5,"},
      {"limit inside a number", spaces + " 1234\n", "k", " k1999:12,/ k3:34,"},
      {"limit at the end of the file", spaces + "123", "k", " k1999:123,"},
  };
  constexpr std::size_t block = std::size_t{64} * 1024;
  // In the build's own folder, where the tests run: a shared temporary
  // folder is written by every build on the machine at once.
  const std::string path = "reading_test_scratch.txt";
  for (const auto& [name, text, ops, want] : rows) {
    for (std::size_t split = 0; split <= text.size(); ++split) {
      if (text.size() > 100 && split > 3 && text.size() - split > 8) continue;
      SCOPED_TRACE(std::string(name) + ", boundary after byte " + std::to_string(split));
      std::string padding;  // lines for key-line reads, up to `split` bytes before the boundary
      while (padding.size() < block - split) {
        padding.append(std::min<std::size_t>(999, block - split - padding.size() - 1), 'x') += '\n';
      }
      std::ofstream(path, std::ios::binary) << padding << text;
      std::optional<text_reader> file = open_text_file(path.c_str());
      key_line line;
      for (std::size_t n = 0; n < padding.size(); n += line.chars_read) scan_key_line(*file, line);
      // The reads of `ops` ('c' a count read, 'k' a key-line read), cycled
      // until the end of the file: " c<value>", with "?" when no digit was
      // read, or " k<characters read>:<numbers>", with "_" when the last
      // number came from a token of white space and "/" when the read cut
      // a line.
      std::string got;
      for (std::size_t i = 0; i < 100 && !file->at_end(); ++i) {
        if (ops[i % ops.size()] == 'c') {
          bool number_read = false;
          got += " c" + std::to_string(scan_count(*file, nullptr, &number_read));
          if (!number_read) got += "?";
          continue;
        }
        scan_key_line(*file, line);
        got += " k" + std::to_string(line.chars_read) + ":";
        for (const std::int32_t n : line.view()) got += std::to_string(n) + ",";
        if (line.last_token_blank) got += "_";
        if (line.cut) got += "/";
      }
      EXPECT_EQ(want, got);
    }
  }
}

// The text-level helpers are the readers' rules on a line in hand: on
// random lines they agree with what the readers themselves take.
TEST(reading, text_helpers_agree_with_the_readers) {
  std::mt19937 random(7);  // NOLINT(cert-msc32-c,cert-msc51-cpp): the same lines every run
  constexpr std::string_view alphabet = " 0123456789-+\tx\r";
  std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
  std::uniform_int_distribution<std::size_t> length(0, 12);
  key_line line;
  for (int i = 0; i < 20000; ++i) {
    std::string text;
    for (std::size_t n = length(random); n > 0; --n) text.push_back(alphabet[pick(random)]);
    SCOPED_TRACE(text);
    text_reader keys = read_text(text);
    scan_key_line(keys, line);
    EXPECT_EQ(line.count, token_count(text));
    if (line.count > 0) {
      text_reader first = read_text(first_token(text));
      key_line one;
      scan_key_line(first, one);
      EXPECT_EQ(line.numbers[0], one.numbers[0]);
    }
    text_reader count = read_text(text);
    bool number_read = false;
    scan_count(count, nullptr, &number_read);
    EXPECT_EQ(number_read, reads_as_number(text));
    const std::string_view token = first_token(text);
    if (converts_whole(token) && token.size() < 9) {
      EXPECT_EQ(std::stoi(std::string(token)), line.numbers[0]);
    }
  }
}

TEST(reading, tokens_converted_whole) {
  const std::pair<std::string_view, bool> rows[] = {
      {"12", true},   {"-7", true},   {"0\n", true}, {"5\r\n", true}, {"+7", true},
      {"12x", false}, {"x", false},   {"-", false},  {"", false},     {"1,2", false},
      {"2.0", false}, {"\t3", false}, {"05", true},
  };
  for (const auto& [token, plain] : rows) EXPECT_EQ(plain, converts_whole(token)) << token;
}

}  // namespace
}  // namespace runcheck
