#include "input/text_reader.h"

#include <utility>

namespace runcheck {

namespace {
constexpr std::size_t block_size = std::size_t{64} * 1024;
constexpr std::string_view byte_order_mark = "\xEF\xBB\xBF";
}  // namespace

text_reader::text_reader(platform::file_handle file) : file_(file), block_(new char[block_size]) {
  pos_ = end_ = block_.get();
}

// The whole text is one block, read to its end: a carriage return and the
// line feed after it stand in the same block, as fold() needs.
text_reader::text_reader(std::string_view text)
    : block_(new char[text.size() + 1]),
      end_offset_(static_cast<std::int64_t>(text.size())),
      eof_(true),
      at_start_(false) {
  text.copy(block_.get(), text.size());
  pos_ = block_.get();
  end_ = pos_ + text.size();
  if (text.starts_with(byte_order_mark)) pos_ += byte_order_mark.size();
}

text_reader::text_reader(text_reader&& other) noexcept
    : file_(std::exchange(other.file_, platform::file_handle::none)),
      block_(std::move(other.block_)),
      pos_(std::exchange(other.pos_, nullptr)),
      end_(std::exchange(other.end_, nullptr)),
      end_offset_(other.end_offset_),
      carry_cr_(other.carry_cr_),
      eof_(other.eof_),
      at_start_(other.at_start_) {}

text_reader& text_reader::operator=(text_reader&& other) noexcept {
  if (this != &other) {
    platform::close_file(file_);
    file_ = std::exchange(other.file_, platform::file_handle::none);
    block_ = std::move(other.block_);
    pos_ = std::exchange(other.pos_, nullptr);
    end_ = std::exchange(other.end_, nullptr);
    end_offset_ = other.end_offset_;
    carry_cr_ = other.carry_cr_;
    eof_ = other.eof_;
    at_start_ = other.at_start_;
  }
  return *this;
}

text_reader::~text_reader() { platform::close_file(file_); }

// Called only when the block is used up. Reads the next block; a carriage
// return at its very end is held back until the byte after it is known, so
// fold() never has to look past the block. The first block is read until it
// is sure whether the file starts with a byte order mark, which is then
// consumed like any read bytes.
bool text_reader::refill() {
  if (eof_ || file_ == platform::file_handle::none) return false;
  char* const base = block_.get();
  std::size_t have = 0;
  if (carry_cr_) {
    base[have++] = '\r';
    carry_cr_ = false;
  }
  const auto needs_more = [&] {
    if (have == 0 || (have == 1 && base[0] == '\r')) return true;
    return at_start_ && have < byte_order_mark.size() &&
           byte_order_mark.starts_with(std::string_view(base, have));
  };
  while (!eof_ && needs_more()) {
    const std::size_t n = platform::read_block(file_, base + have, block_size - have);
    if (n == 0) eof_ = true;  // end of file, or a read error
    have += n;
  }
  if (!eof_ && have > 0 && base[have - 1] == '\r') {
    carry_cr_ = true;
    --have;
  }
  pos_ = base;
  end_ = base + have;
  end_offset_ += static_cast<std::int64_t>(have);
  if (at_start_) {
    at_start_ = false;
    if (std::string_view(base, have).starts_with(byte_order_mark)) {
      pos_ += byte_order_mark.size();
      if (pos_ == end_) return refill();
    }
  }
  return pos_ != end_;
}

std::optional<text_reader> open_text_file(const char* path, platform::open_failure* why) {
  const platform::opened_file opened = platform::open_regular_file(path);
  if (why != nullptr) *why = opened.failure;
  if (opened.file == platform::file_handle::none) return std::nullopt;
  return text_reader(opened.file);
}

text_reader read_text(std::string_view text) { return text_reader(text); }

std::string_view open_failure_words(platform::open_failure why) {
  switch (why) {
    case platform::open_failure::no_such_file:
      return "no such file";
    case platform::open_failure::is_directory:
      return "it is a directory";
    case platform::open_failure::permission_denied:
      return "permission denied";
    case platform::open_failure::not_regular_file:
      return "not a regular file (a named pipe, a device or a socket)";
    case platform::open_failure::none:
    case platform::open_failure::other:
      break;
  }
  return "it cannot be opened";
}

std::string not_opened_words(std::string_view path, platform::open_failure why) {
  std::string words = "cannot open \"";
  words.append(path).append("\": ").append(open_failure_words(why));
  return words;
}

}  // namespace runcheck
