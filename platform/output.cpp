#include "platform/output.h"

#include <algorithm>

namespace runcheck {

output::output(platform::file_handle file) : file_(file), line_end_(platform::line_end()) {
  buffer_.reserve(flush_threshold + 4096);
}

output::output() = default;

output::~output() { flush(); }

void output::flush() {
  if (file_ != platform::file_handle::none) write_out();
}

void output::write_out() {
  if (!failed_) {
    std::string_view bytes = buffer_;
    if (line_end_ != "\n") {
      wire_.clear();
      for (std::size_t start = 0; start < buffer_.size();) {
        const std::size_t stop = std::min(buffer_.find('\n', start), buffer_.size());
        wire_.append(buffer_, start, stop - start);
        if (stop < buffer_.size()) wire_.append(line_end_);
        start = stop + 1;
      }
      bytes = wire_;
    }
    failed_ = !platform::write_all(file_, bytes);
  }
  buffer_.clear();
}

}  // namespace runcheck
