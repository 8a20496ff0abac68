#include "runs/output.h"

#include <unistd.h>

#include <cerrno>

namespace runcheck {

output::output(int fd) : fd_(fd) { buffer_.reserve(flush_threshold + 4096); }

output::output() = default;

output::~output() { flush(); }

void output::flush() {
  if (fd_ >= 0) write_out();
}

void output::write_out() {
  const char* p = buffer_.data();
  std::size_t left = buffer_.size();
  while (left > 0 && !failed_) {
    const ssize_t n = ::write(fd_, p, left);
    if (n > 0) {
      p += n;
      left -= static_cast<std::size_t>(n);
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else {
      failed_ = true;
    }
  }
  buffer_.clear();
}

}  // namespace runcheck
