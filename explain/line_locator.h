// line_locator: turns byte offsets in a file (text_reader::offset()) into
// line numbers and the text that stands there, reading the file front to
// back once, so memory stays bounded whatever its size.
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
};

class line_locator {
 public:
  // Without a file, every offset is at its end.
  explicit line_locator(std::optional<text_reader> file) : file_(std::move(file)) {}

  // The place at `offset`. Offsets must not decrease from call to call; the
  // view lasts until the next call.
  located_line locate(std::int64_t offset);

  // Up to the first 4 KiB of the file, before any locate().
  std::string_view head();

 private:
  std::optional<text_reader> file_;
  std::int64_t pos_ = 0;   // bytes consumed
  std::int64_t line_ = 1;  // the line of the byte at pos_
  std::string captured_;   // the bytes before pos_ on line_, from captured_at_
  std::int64_t captured_at_ = -1;
};

}  // namespace runcheck::explain
