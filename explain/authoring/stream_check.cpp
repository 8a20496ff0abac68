#include "explain/authoring/stream_check.h"

#include <algorithm>
#include <utility>

#include "check/run_file_checker.h"
#include "input/text_reader.h"

namespace runcheck::explain {

kept_run_set::kept_run_set(const run_set& runs) : run_count_(runs.run_count) {
  ends_.assign(runs.run_end, runs.run_end + runs.run_count + 1);
  keys_.assign(runs.keys, runs.keys + ends_.back());
  if (keys_.empty()) keys_.push_back(0);  // so that data() is never null
}

namespace {

// Sees whether the check found a difference before `limit`, the end of the
// text handed in: a read that ends before it reads what the whole file
// holds there, so such a difference fails the test case whatever follows.
class difference_finder final : public check_observer {
 public:
  explicit difference_finder(std::int64_t limit) : limit_(limit) {}

  void count_read(const count_report& count) override {
    // A count read ends at the first character after the white space that
    // follows the count: before the limit, it saw nothing past it.
    if (count.found != count.expected && count.end_offset < limit_) found_ = true;
  }
  void run_line_read(const run_line_report& /*line*/) override {}
  void wrong_run(const run_report& run) override {
    // The text handed in ends with a line feed, so a line read that begins
    // before the limit ends before it.
    if (run.offset < limit_) found_ = true;
  }
  void test_case_checked(const test_case_verdict& /*verdict*/) override {}

  bool found() const { return found_; }

 private:
  std::int64_t limit_;
  bool found_ = false;
};

}  // namespace

bool stream_check::blank(std::string_view text) {
  return text.find_first_not_of(" \t\n\r\v\f") == std::string_view::npos;
}

stream_check::stream_check(runs_again_maker again)
    : line_(std::make_unique<key_line>()),
      again_(std::make_shared<const runs_again_maker>(std::move(again))) {}

stream_check::stream_check(const stream_check& other)
    : text_(other.text_),
      read_(other.read_),
      next_(other.next_),
      kept_(other.kept_),
      starts_(other.starts_),
      added_(other.added_),
      ended_(other.ended_),
      failed_(other.failed_),
      first_failure_(other.first_failure_),
      left_step_(other.left_step_),
      line_(std::make_unique<key_line>()),
      again_(other.again_) {}

stream_check& stream_check::operator=(const stream_check& other) {
  if (this != &other) *this = stream_check(other);
  return *this;
}

void stream_check::add(const run_set& expected, std::string_view text) {
  const std::int32_t t = added_++;
  if (failed_) return;
  starts_.push_back({.test_case = t, .offset = read_ + std::ssize(text_)});
  text_.append(text);
  decide(&expected);
  // Still waiting: its runs kept while few are, else read again.
  if (!failed_ && next_ <= t && (kept_.size() < max_kept_waiting || !*again_))
    kept_.emplace(t, kept_run_set(expected));
}

void stream_check::add_passing() {
  // The count read skips the white space left, then the text reads whole.
  consume(std::ssize(text_));
  ++added_;
  ++next_;
}

void stream_check::end() {
  ended_ = true;
  decide(nullptr);
}

bool stream_check::at_start_of(std::int32_t t) const {
  if (starts_.empty()) return blank(text_) && t == added_;
  const std::int64_t before = starts_.front().offset - read_;
  return starts_.front().test_case == t &&
         blank(std::string_view(text_).substr(0, static_cast<std::size_t>(before)));
}

void stream_check::consume(std::int64_t n) {
  text_.erase(0, static_cast<std::size_t>(n));
  read_ += n;
  while (!starts_.empty() && starts_.front().offset < read_) starts_.pop_front();
}

run_set stream_check::expected_of(std::int32_t t, const run_set* newest) {
  if (const auto kept = kept_.find(t); kept != kept_.end()) return kept->second.view();
  if (newest != nullptr && t == added_ - 1) return *newest;
  if (!reading_again_) reading_again_ = (*again_)();
  return reading_again_->runs_of(t);
}

void stream_check::decide(const run_set* newest) {
  while (!failed_ && next_ < added_) {
    const std::int32_t t = next_;
    const auto limit = std::ssize(text_);
    text_reader file = read_text(text_);
    difference_finder differences(limit);
    const bool begins_in_step = at_start_of(t);
    const bool passed = check_test_case(file, expected_of(t, newest), t, *line_, differences);
    const std::int64_t read = file.offset();
    // A check that reached the end of the text may read on into the text
    // of test cases not handed in yet, unless the file ends there.
    if (!differences.found() && !ended_ && read >= limit) return;
    if (!passed || differences.found()) {
      failed_ = true;
      first_failure_ = t;
      kept_.clear();
      starts_.clear();
      text_.clear();
      return;
    }
    consume(read);
    kept_.erase(t);
    ++next_;
    if (begins_in_step && !at_start_of(t + 1)) left_step_ = t;
  }
}

}  // namespace runcheck::explain
