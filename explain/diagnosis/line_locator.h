// line_locator: turns offsets in a file, as text_reader::offset() gives
// them for the same file, into line numbers and the text that stands there.
// It reads the file front to back once, behind the reader whose offsets it
// is given, so memory stays bounded whatever the file's size; a byte order
// mark counts in the offsets as it does for that reader.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "input/text_reader.h"

namespace runcheck::explain {

struct located_line {
  std::int64_t line = 0;  // from 1; 0 when the offset is at the end of the file
  // The line from the offset up to its line feed (a carriage return before
  // it dropped), at most the 1999 bytes that a key-line read takes.
  std::string_view text;
  bool starts_line = false;  // only white space stands before the offset on its line
  bool ends_file = false;    // the file ends with `text`, no line feed after it
};

class line_locator {
 public:
  // The file at `path`, opened at the first call: a file nothing is located
  // in is never read. Where it cannot be opened, every offset is at its end.
  explicit line_locator(std::string path) : path_(std::move(path)) {}

  // The place at `offset`. Offsets must not decrease from call to call; the
  // view lasts until the next call.
  located_line locate(std::int64_t offset);

  // Up to the first 4 KiB of the file, before any locate().
  std::string_view head();

 private:
  bool open();  // false without a file

  std::string path_;
  bool opened_ = false;
  std::optional<text_reader> file_;
  std::int64_t line_ = 1;   // the line of the reader's next byte
  bool blank_line_ = true;  // only white space read on that line so far
  std::string captured_;    // the line's bytes from captured_at_, up to the reader
  std::int64_t captured_at_ = -1;
  bool captured_starts_line_ = false;
};

}  // namespace runcheck::explain
