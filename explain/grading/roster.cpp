#include "explain/grading/roster.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "input/text_reader.h"

namespace runcheck::explain {

namespace {

// `text` without white space at either end.
std::string_view trimmed(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t\r");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

}  // namespace

std::string student_of(std::string_view run_file) {
  while (!run_file.empty() && (run_file.back() == '/' || run_file.back() == '\\'))
    run_file.remove_suffix(1);
  const std::size_t slash = run_file.find_last_of("/\\");
  if (slash == std::string_view::npos) return std::string(run_file);
  const std::string_view folder = run_file.substr(0, slash);
  const std::size_t before = folder.find_last_of("/\\");
  const std::string_view name =
      before == std::string_view::npos ? folder : folder.substr(before + 1);
  return std::string(name.empty() || name == "." ? run_file.substr(slash + 1) : name);
}

roster::roster(std::string path) : path_(std::move(path)) {
  const std::size_t slash = path_.find_last_of("/\\");
  if (slash != std::string::npos) folder_ = path_.substr(0, slash + 1);
  readable_ = fill();
}

bool roster::next(class_member& member) {
  if (next_ >= batch_.size() && !(more_ && fill() && !batch_.empty())) return false;
  member = std::move(batch_[next_++]);
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
    const std::string_view whole = trimmed(line);
    if (whole.empty() || whole[0] == '#') continue;
    const std::size_t tab = whole.find('\t');
    const std::string_view path = trimmed(whole.substr(0, tab));
    const std::string_view student =
        tab == std::string_view::npos ? std::string_view() : trimmed(whole.substr(tab + 1));
    if (path.empty()) continue;
    const bool absolute = path[0] == '/' || path[0] == '\\' || (path.size() > 1 && path[1] == ':');
    class_member member{.run_file = absolute ? std::string(path) : folder_ + std::string(path)};
    member.student = student.empty() ? student_of(path) : std::string(student);
    batch_.push_back(std::move(member));
  }
  more_ = !file->at_end();
  read_ = file->offset();
  return true;
}

}  // namespace runcheck::explain
