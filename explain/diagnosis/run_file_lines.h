// The run file's lines as their author wrote them: the words of each line,
// for the in-step rule (where a test case's lines really stand, layout.h)
// and the independent score. A reader of their own reads the file front to
// back once, numbering lines as line_locator does; only the lines still
// wanted are kept, and of those only the ones that are not blank, so memory
// holds about one test case's lines whatever the file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "input/text_reader.h"

namespace runcheck::explain {

// One line that is not blank, cut into words at white space (space, tab,
// carriage return, vertical tab, form feed).
struct file_line {
  std::int64_t number = 0;  // from 1
  std::int64_t offset = 0;  // of its first byte
  std::int64_t end = 0;     // of the byte after its line feed
  // The words that are whole numbers (an optional sign and digits), in
  // order, as int32 (saturated), the first max_line_words of them.
  std::vector<std::int32_t> numbers;
  std::size_t words = 0;
  bool text = false;      // a word that is not a whole number
  bool odd = false;       // a tab, a carriage return inside it, a vertical tab or a form feed
  bool overflow = false;  // more numbers, or more bytes, than are kept
  // What a count read takes at its start: a number (an optional sign and a
  // digit), its value saturated to int32.
  bool count_read = false;
  std::int32_t count = 0;
  // Its first word is a whole number: what follows is the first run's keys
  // or text, never the count's own rest.
  bool count_whole = false;
};

class run_file_lines {
 public:
  // Numbers kept of one line: more than a test case's keys (at most
  // max_run_keys) can never be its runs.
  static constexpr std::size_t max_line_words = 1024;
  // Bytes of one line that are cut into words.
  static constexpr std::size_t max_line_bytes = std::size_t{64} * 1024;

  // The file at `path`, opened at the first call; where it cannot be opened
  // it reads as empty.
  explicit run_file_lines(std::string path) : path_(std::move(path)) {}

  // Line `n` (from 1, not before the first line kept): nothing when it is
  // blank or past the end of the file.
  const file_line* line(std::int64_t n);

  // The first line from `n` on that is not blank; 0 when the file ends first.
  std::int64_t next_nonblank(std::int64_t n);

  // The line that holds `offset` (an offset of the reader's, in a line that
  // is not blank, not before the first line kept); 0 when the offset is at
  // the end of the file. The lines before it are forgotten, and of its own
  // line what stands before the offset, unless `forget_before` is false.
  std::int64_t line_of(std::int64_t offset, bool forget_before = true);

  // Forgets the lines before line `n`; they are not asked for again.
  void keep_from(std::int64_t n);

 private:
  // Forgets the first line kept, keeping its storage for another.
  void forget_first();
  // Reads the next line; keeps it when it is not blank. False at the end of
  // the file.
  bool read_line();
  bool open();
  // Forgets every line kept and reads on to `offset`: the line that holds
  // it is read next, from there.
  void skip_to(std::int64_t offset);

  std::string path_;
  bool opened_ = false;
  std::optional<text_reader> file_;
  std::deque<file_line> kept_;  // the lines not blank from keep_from_ on, in order
  std::int64_t next_ = 1;       // the number of the next line to read
  std::int64_t keep_from_ = 1;
  std::string bytes_;  // a line gathered from several blocks
  // The number lists of lines forgotten, kept for the lines read next: a
  // line then costs no allocation once the first few are read.
  std::vector<std::vector<std::int32_t>> spare_;
};

}  // namespace runcheck::explain
