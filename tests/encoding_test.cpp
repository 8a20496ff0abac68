// The byte rules the printers share: whatever bytes a file holds, what the
// printers write of them is valid UTF-8, escaped for where it goes, and cut
// only between whole characters.
#include "explain/report/encoding.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "explain/printers/message.h"
#include "explain/report/submission.h"

namespace runcheck::explain {
namespace {

bool valid(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t n =
        static_cast<unsigned char>(text[i]) < 0x80 ? 1 : utf8_sequence(text.substr(i));
    if (n == 0) return false;
    i += n;
  }
  return true;
}

// Byte strings that are mostly UTF-8 gone wrong: valid sequences, their
// pieces, and ASCII with the characters each format escapes.
std::vector<std::string> samples() {
  std::mt19937 random(5);  // NOLINT(cert-msc32-c,cert-msc51-cpp): the same bytes every run
  const std::string_view pieces[] = {"a",
                                     "\xC3\xA9",
                                     "\xE2\x9C\x93",
                                     "\xF0\x9F\x99\x82",
                                     "\xC3",
                                     "\xE2\x9C",
                                     "\xF0\x9F\x99",
                                     "\x80",
                                     "\xFF",
                                     "\xED\xA0\x80",
                                     "\"",
                                     ",",
                                     "<&>'",
                                     "\r\n",
                                     "\t",
                                     std::string_view("\0", 1),
                                     "\x1B",
                                     "=",
                                     "-"};
  std::vector<std::string> all = {""};
  for (int i = 0; i < 1500; ++i) {
    std::string text;
    for (std::size_t n = random() % 12; n > 0; --n) text += pieces[random() % std::size(pieces)];
    all.push_back(text);
  }
  return all;
}

TEST(encoding, valid_utf8_keeps_what_is_valid) {
  for (const std::string& text : samples()) {
    std::string replaced;
    const std::string_view made = valid_utf8(text, replaced);
    EXPECT_TRUE(valid(made));
    // Valid text is given back as it stands, not copied.
    if (valid(text)) {
      EXPECT_EQ(text.data(), made.data());
    }
  }
}

TEST(encoding, utf8_prefix_cuts_between_characters) {
  for (const std::string& text : samples()) {
    std::string replaced;
    const std::string_view made = valid_utf8(text, replaced);
    for (std::size_t size = 0; size <= made.size() + 1; ++size) {
      const std::string_view cut = utf8_prefix(made, size);
      EXPECT_LE(cut.size(), size);
      EXPECT_TRUE(valid(cut));
      // Nothing more is dropped than the character cut in two.
      EXPECT_GE(cut.size() + 3, std::min(size, made.size()));
    }
  }
}

TEST(encoding, xml_escaped_holds_no_markup_and_no_control_byte) {
  for (const std::string& text : samples()) {
    output out;
    put_xml_escaped(out, text);
    const std::string& made = out.text();
    EXPECT_TRUE(valid(made));
    EXPECT_EQ(std::string::npos, made.find_first_of("<>\"'"));
    for (std::size_t at = made.find('&'); at != std::string::npos; at = made.find('&', at + 1))
      EXPECT_NE(std::string::npos, made.find(';', at)) << "a bare &";
    for (const char c : made) {
      const auto byte = static_cast<unsigned char>(c);
      EXPECT_TRUE(byte >= 0x20 || c == '\t' || c == '\n' || c == '\r') << int{byte};
    }
  }
}

// A field read back as RFC 4180 reads one.
std::string read_csv_field(std::string_view field) {
  if (field.empty() || field[0] != '"') return std::string(field);
  std::string value;
  for (std::size_t i = 1; i + 1 < field.size(); ++i) {
    value += field[i];
    if (field[i] == '"') ++i;  // a doubled quote
  }
  return value;
}

TEST(encoding, csv_field_reads_back) {
  for (const std::string& text : samples()) {
    output out;
    put_csv_field(out, text);
    std::string replaced;
    // A cell a spreadsheet would run as a formula reads back after a quote mark.
    const std::string kept(valid_utf8(text, replaced));
    const bool formula =
        !kept.empty() && std::string_view("=+-@\t\r").find(kept[0]) != std::string_view::npos;
    EXPECT_EQ((formula ? "'" : "") + kept, read_csv_field(out.text()));
    const bool quoted = out.text().starts_with('"');
    EXPECT_EQ(quoted, text.find_first_of(",\"\r\n") != std::string::npos);
  }
}

TEST(encoding, put_escaped_tells_every_byte_apart) {
  // Two texts that differ are shown differently, and only printable ASCII
  // is shown.
  std::vector<std::string> shown;
  for (int b = 0; b < 256; ++b) {
    output out;
    put_escaped(out, std::string(1, static_cast<char>(b)) + "\\x41");
    for (const char c : out.text()) EXPECT_TRUE(c >= 0x20 && c < 0x7F);
    shown.push_back(out.text());
  }
  std::sort(shown.begin(), shown.end());
  EXPECT_EQ(shown.end(), std::adjacent_find(shown.begin(), shown.end()));
}

TEST(message, one_line_within_its_cap) {
  for (const std::string& text : samples()) {
    for (const std::size_t cap : {std::size_t{80}, std::size_t{200}}) {
      const std::string line = one_line(text + "\n  next line\n", cap);
      EXPECT_LE(line.size(), cap);
      EXPECT_TRUE(valid(line));
      EXPECT_EQ(std::string::npos, line.find('\n'));
    }
  }
  EXPECT_EQ("first / second", one_line("first\n    second\n", 100));
}

TEST(submission, fraction_text_never_rounds_up) {
  for (int passed = 0; passed <= 7; ++passed) {
    for (const int total : {7, 3, 30001}) {
      const double fraction = static_cast<double>(passed) / total;
      const std::string text = fraction_text(fraction);
      const double read = std::stod(text);
      EXPECT_LE(read, fraction + 1e-12) << text;
      EXPECT_GT(read, fraction - 0.0001) << text;
      EXPECT_EQ(text == "1", passed == total) << text;
      EXPECT_LE(text.size(), 6U) << "at most four decimals";
    }
  }
}

}  // namespace
}  // namespace runcheck::explain
