#include "explain/grading/roster.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "input/text_reader.h"

namespace runcheck::explain {

roster::roster(std::string path) : path_(std::move(path)) {
  const std::size_t slash = path_.find_last_of("/\\");
  if (slash != std::string::npos) folder_ = path_.substr(0, slash + 1);
  readable_ = fill();
}

bool roster::next(std::string& path) {
  if (next_ >= batch_.size() && !(more_ && fill() && !batch_.empty())) return false;
  path = std::move(batch_[next_++]);
  return true;
}

bool roster::fill() {
  constexpr std::size_t batch = 1024;
  constexpr std::size_t longest_path = 4096;
  batch_.clear();
  next_ = 0;
  std::optional<text_reader> file = open_text_file(path_.c_str());
  if (!file) return false;
  for (std::int64_t skip = read_; skip > 0;) {
    const std::string_view block = file->buffered();
    if (block.empty()) break;
    const std::size_t n = std::min<std::size_t>(block.size(), static_cast<std::size_t>(skip));
    file->consume(n);
    skip -= static_cast<std::int64_t>(n);
  }
  while (batch_.size() < batch && !file->at_end()) {
    std::string line;
    for (int c = file->get(); c != '\n' && c != text_reader::end_of_file; c = file->get())
      if (line.size() <= longest_path) line.push_back(static_cast<char>(c));
    const std::size_t first = line.find_first_not_of(" \t\r");
    if (first == std::string::npos || line[first] == '#') continue;
    line = line.substr(first, line.find_last_not_of(" \t\r") - first + 1);
    const bool absolute = line[0] == '/' || line[0] == '\\' || (line.size() > 1 && line[1] == ':');
    batch_.push_back(absolute ? line : folder_ + line);
  }
  more_ = !file->at_end();
  read_ = file->offset();
  return true;
}

}  // namespace runcheck::explain
