#include "input/text_reader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

namespace runcheck {

namespace {
constexpr std::size_t block_size = std::size_t{64} * 1024;
}

text_reader text_reader::from_memory(std::string_view text) {
  return text_reader(text.data(), text.data() + text.size());
}

text_reader text_reader::from_descriptor(int fd) { return text_reader(fd); }

text_reader::text_reader(int fd) : fd_(fd), block_(new char[block_size]) {
  pos_ = end_ = block_.get();
}

text_reader::text_reader(const char* begin, const char* end)
    : pos_(begin), end_(end), end_offset_(end - begin), eof_(true) {}

text_reader::text_reader(text_reader&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)),
      block_(std::move(other.block_)),
      pos_(std::exchange(other.pos_, nullptr)),
      end_(std::exchange(other.end_, nullptr)),
      end_offset_(other.end_offset_),
      carry_cr_(other.carry_cr_),
      eof_(other.eof_) {}

text_reader& text_reader::operator=(text_reader&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = std::exchange(other.fd_, -1);
    block_ = std::move(other.block_);
    pos_ = std::exchange(other.pos_, nullptr);
    end_ = std::exchange(other.end_, nullptr);
    end_offset_ = other.end_offset_;
    carry_cr_ = other.carry_cr_;
    eof_ = other.eof_;
  }
  return *this;
}

text_reader::~text_reader() {
  if (fd_ >= 0) ::close(fd_);
}

// Called only when the block is used up. Reads the next block; a carriage
// return at its very end is held back until the byte after it is known, so
// fold() never has to look past the block.
bool text_reader::refill() {
  if (eof_ || fd_ < 0) return false;
  char* const base = block_.get();
  std::size_t have = 0;
  if (carry_cr_) {
    base[have++] = '\r';
    carry_cr_ = false;
  }
  while (have < 2 && !eof_) {
    const ssize_t n = ::read(fd_, base + have, block_size - have);
    if (n > 0) {
      have += static_cast<std::size_t>(n);
      if (base[have - 1] != '\r') break;
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else {
      eof_ = true;  // end of file, or a read error
    }
  }
  if (!eof_ && have > 0 && base[have - 1] == '\r') {
    carry_cr_ = true;
    --have;
  }
  pos_ = base;
  end_ = base + have;
  end_offset_ += static_cast<std::int64_t>(have);
  return have > 0;
}

std::optional<text_reader> open_text_file(const char* path) {
  // Only a regular file has an end that is sure to come: a directory cannot
  // be read, a FIFO may block forever and a device may never end. O_NONBLOCK
  // keeps the open itself from waiting for a FIFO's writer; it does not
  // change how a regular file reads.
  int fd = -1;
  do {
    fd = ::open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return std::nullopt;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return std::nullopt;
  }
  return text_reader(fd);
}

}  // namespace runcheck
