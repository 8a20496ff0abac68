#include "explain/diagnosis/stops.h"

#include <cstdint>
#include <string_view>

#include "explain/diagnosis/hints.h"
#include "explain/diagnosis/line_locator.h"
#include "explain/diagnosis/line_text.h"

namespace runcheck::explain {

namespace {

const char* failure_text(platform::open_failure failure) {
  switch (failure) {
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

}  // namespace

std::string not_opened_text(const std::string& file, platform::open_failure failure) {
  return "cannot open \"" + file + "\": " + failure_text(failure);
}

std::string stop_text(const stop& why, const std::string& test_case_file) {
  const std::string test_case = std::to_string(std::int64_t{why.test_case} + 1);
  switch (why.why) {
    case stop::reason::test_case_file_not_opened:
      return not_opened_text(test_case_file, why.failure);
    case stop::reason::num_test_cases_unreadable:
      return "num_test_cases cannot be read.";
    case stop::reason::negative_num_test_cases:
      return "num_test_cases is less than 0.";
    case stop::reason::out_of_memory:
      return "Not enough memory at test case " + test_case + ".";
    case stop::reason::num_keys_less_than_1:
      return "num_keys is less than 1 at test case " + test_case + ".";
    case stop::reason::short_key_line:
      return "num_keys is " + std::to_string(why.count) + " but the key line holds only " +
             std::to_string(why.numbers_read) + " at test case " + test_case + ".";
  }
  return {};
}

stop_report describe_stop(const stop& why, const std::string& test_case_file) {
  stop_report stopped{
      .message = stop_text(why, test_case_file), .file = test_case_file, .failure = why.failure};
  if (why.why == stop::reason::test_case_file_not_opened) return stopped;
  line_locator file(test_case_file);
  const std::string head(file.head());
  stopped.hints = hints_of_head(head);
  // A run file's second line is a run: several numbers, where a test-case
  // file has the number of keys of its first test case alone.
  const std::size_t second = head.find('\n');
  if (why.test_case == 0 && second != std::string::npos) {
    const std::string_view line2 =
        std::string_view(head).substr(second + 1, head.find('\n', second + 1) - second - 1);
    if (token_count(line2) > 1 && starts_with_number(line2))
      stopped.hints.push_back(file_hint::looks_like_run_file);
  }
  if (why.offset >= 0) stopped.line = file.locate(why.offset).line;
  if (why.why == stop::reason::num_test_cases_unreadable && stopped.line == 0)
    stopped.hints.push_back(file_hint::empty);
  return stopped;
}

}  // namespace runcheck::explain
