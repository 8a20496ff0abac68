// output: the console writer, the one writer of everything the programs print.
//
// Text collects in a large buffer and goes out in blocks, so standard output
// stays fully buffered until flush(). Numbers are formatted with
// std::to_chars. Each line feed goes out as the platform's line end (CR LF
// on Windows). A write that fails (a closed pipe, a full device) makes the
// writer drop everything after it; printing never fails for the caller.
#pragma once

#include <charconv>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/platform.h"

namespace runcheck {

class output {
 public:
  // Writes to `file`, standard output for example.
  explicit output(platform::file_handle file);
  // Keeps everything in memory; text() gives it back.
  output();

  output(const output&) = delete;
  output& operator=(const output&) = delete;
  ~output();

  output& put(std::string_view text) {
    buffer_.append(text);
    if (buffer_.size() >= flush_threshold && file_ != platform::file_handle::none) write_out();
    return *this;
  }

  output& put(char c) {
    buffer_.push_back(c);
    if (buffer_.size() >= flush_threshold && file_ != platform::file_handle::none) write_out();
    return *this;
  }

  // The integer in signed decimal, as "%d" prints it.
  output& put_int(std::int64_t value) {
    char digits[24];
    const auto result = std::to_chars(digits, digits + sizeof digits, value);
    return put(std::string_view(digits, static_cast<std::size_t>(result.ptr - digits)));
  }

  // Sends everything buffered to the file.
  void flush();

  // True once a write to the file failed: what was printed since is lost.
  bool failed() const { return failed_; }

  // What a memory writer holds.
  const std::string& text() const { return buffer_; }

  // Empties a memory writer, keeping its room.
  void clear() { buffer_.clear(); }

 private:
  static constexpr std::size_t flush_threshold = 1 << 20;
  void write_out();

  platform::file_handle file_ = platform::file_handle::none;
  std::string_view line_end_ = "\n";
  bool failed_ = false;
  std::string buffer_;
  std::string wire_;  // buffer_ with the platform's line ends, where not "\n"
};

}  // namespace runcheck
