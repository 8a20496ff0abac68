#include "explain/diagnosis/stops.h"

#include <cstdint>
#include <string_view>

#include "explain/diagnosis/hints.h"
#include "explain/diagnosis/line_locator.h"
#include "explain/diagnosis/line_text.h"

namespace runcheck::explain {

stop_report describe_stop(const stop& why, const std::string& test_case_file) {
  stop_report stopped{
      .message = stop_words(why, test_case_file), .file = test_case_file, .failure = why.failure};
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
