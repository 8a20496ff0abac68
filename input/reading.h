// The two reading rules shared by every reader of text in the program: the
// count read (for num_test_cases, num_keys and num_runs) and the key-line
// read (for key lines and run lines).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "input/text_reader.h"

namespace runcheck {

// Size of read_str, the line buffer of both readers: a key-line read takes at
// most read_str_size - 1 characters.
inline constexpr std::size_t read_str_size = 2000;

// A read of at most 1999 characters holds at most this many tokens.
inline constexpr std::size_t max_line_numbers = read_str_size / 2;

// The numbers of the last key-line read, in token order. Owned by the caller
// and reused for every line, so a read never allocates.
struct key_line {
  std::array<std::int32_t, max_line_numbers> numbers{};
  std::size_t count = 0;
  std::size_t chars_read = 0;  // characters taken from the file by the read
  // The last number came from a token of white space alone (other than the
  // space that cuts tokens), as a space before the line break makes one.
  bool last_token_blank = false;
  // The read stopped at 1999 characters inside a line: the rest of the line,
  // its line feed at least, is left for the next read.
  bool cut = false;

  std::span<const std::int32_t> view() const { return {numbers.data(), count}; }
};

// Count read, as the formatted pattern "%d\n": skips white space (space, tab,
// line feed, carriage return, vertical tab, form feed), reads an optionally
// signed decimal integer and, when one was read, consumes all white space
// after it. Gives 0 when no number can be read; the read then stops at the
// first character that does not fit (a lone sign is consumed). Digits beyond
// the signed 32-bit range saturate to INT32_MIN or INT32_MAX. When `start`
// is given, it receives file.offset() after the leading white space: where
// the count's first non-blank character stands, or the file's size when
// nothing but white space is left. When `number_read` is given, it says
// whether digits were read, telling a 0 in the file from no number.
std::int32_t scan_count(text_reader& file, std::int64_t* start = nullptr,
                        bool* number_read = nullptr);

// Skips white space as a count read does; gives the offset of the first
// other character, or -1 when the file holds nothing more.
std::int64_t skip_to_text(text_reader& file);

// Key-line read: takes up to 1999 characters, stopping after the first line
// feed (which stays part of the line) or at the end of the file; a longer
// line is left for the next read. The characters are cut into tokens at the
// space character only, and each token converts as atoi would: leading white
// space skipped, an optional sign, the decimal digits that follow, 0 when
// there are none; out-of-range values saturate. So an empty line gives the
// single number 0, and a space before the line feed adds a number 0. At the
// end of the file the read gives no number.
void scan_key_line(text_reader& file, key_line& line);

// The same rules on a line's text already in hand (a line located again to
// be shown), for those who say how a read took it:
// - the key-line read's tokens, cut at the space character only: how many,
//   and the first (empty when there is none);
std::size_t token_count(std::string_view text);
std::string_view first_token(std::string_view text);
// - whether a count read at the start of `text` finds a number: white space
//   skipped, an optional sign, then a digit;
bool reads_as_number(std::string_view text);
// - whether the conversion of `token` takes all of it: an optional sign,
//   at least one digit, then nothing but white space (the line feed, or a
//   carriage return before it). A token it does not take whole holds text.
bool converts_whole(std::string_view token);

}  // namespace runcheck
