// text_reader: one text file read front to back, once.
//
// The reader hands out characters one at a time, or the unread part of its
// block for scanning in place, from a 64 KiB block buffer, so memory stays
// bounded whatever the size of the file. A carriage return
// directly before a line feed is dropped, so CRLF and LF line ends read
// alike; a lone carriage return is an ordinary character, and so are NUL
// and 0x1A. A UTF-8 byte order mark (EF BB BF) as the very first three
// bytes is skipped as if read; anywhere else those bytes are ordinary. A read
// error counts as the end of the file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/platform.h"

namespace runcheck {

class text_reader {
 public:
  static constexpr int end_of_file = -1;

  text_reader(text_reader&& other) noexcept;
  text_reader& operator=(text_reader&& other) noexcept;
  text_reader(const text_reader&) = delete;
  text_reader& operator=(const text_reader&) = delete;
  ~text_reader();

  // The next character (0..255) without consuming it, or end_of_file.
  int peek() {
    if (pos_ == end_ && !refill()) return end_of_file;
    return fold(false);
  }

  // The next character (0..255), consumed, or end_of_file.
  int get() {
    if (pos_ == end_ && !refill()) return end_of_file;
    return fold(true);
  }

  // True when no character is left.
  bool at_end() { return pos_ == end_ && !refill(); }

  // The unread bytes of the current block, after reading the next block when
  // this one is used up; empty only at the end of the file. For scanners that
  // work on the block directly: the bytes are not folded, but a carriage
  // return and the line feed after it always stand in the same block, so a
  // carriage return is folded exactly when the next byte of the view is a
  // line feed.
  std::string_view buffered() {
    if (pos_ == end_) refill();
    return {pos_, static_cast<std::size_t>(end_ - pos_)};
  }

  // Consumes the first n bytes of buffered(); n must not exceed its size.
  void consume(std::size_t n) { pos_ += n; }

  // Bytes consumed from the start of the file: raw bytes, so a folded
  // carriage return counts. Cheap enough to call for every read.
  std::int64_t offset() const { return end_offset_ - (end_ - pos_); }

 private:
  friend std::optional<text_reader> open_text_file(const char* path, platform::open_failure* why);
  friend text_reader read_text(std::string_view text);
  explicit text_reader(platform::file_handle file);
  explicit text_reader(std::string_view text);

  // A block never ends in a carriage return while more bytes may follow
  // (refill() holds it back), so pos_[1] is in the block whenever it matters.
  int fold(bool consume) {
    const char* p = pos_;
    if (*p == '\r' && p + 1 != end_ && p[1] == '\n') ++p;
    const int c = static_cast<unsigned char>(*p);
    if (consume) pos_ = p + 1;
    return c;
  }

  bool refill();

  platform::file_handle file_ = platform::file_handle::none;
  std::unique_ptr<char[]> block_;
  const char* pos_ = nullptr;
  const char* end_ = nullptr;
  std::int64_t end_offset_ = 0;  // offset of end_: every byte put in a block so far
  bool carry_cr_ = false;        // a carriage return held back from the last block
  bool eof_ = false;
  bool at_start_ = true;  // no block read yet: a byte order mark may come
};

// Opens `path` read-only. Gives nothing when it cannot be opened or is not a
// regular file (a directory, a FIFO or a device, for example); `why`, when
// given, then says which.
std::optional<text_reader> open_text_file(const char* path, platform::open_failure* why = nullptr);

// Why a file did not open, for a person: "no such file", "it is a
// directory", ...; and the whole sentence, "cannot open \"PATH\": WHY".
std::string_view open_failure_words(platform::open_failure why);
std::string not_opened_words(std::string_view path, platform::open_failure why);

// A reader over a copy of `text`, as if it were a file's bytes: for text the
// program made itself, read by the same rules.
text_reader read_text(std::string_view text);

}  // namespace runcheck
