#include "explain/diagnosis/test_case_file_notes.h"

#include <utility>

#include "explain/diagnosis/line_locator.h"
#include "runs/limits.h"

namespace runcheck::explain {

void test_case_file_watcher::test_case_generated(const test_case& tc, const run_set& /*runs*/,
                                                 const generation_result& result) {
  const std::int32_t t = generated_++;
  // A key outside the range lies more than its width above its low end,
  // counted unsigned: one comparison a key, in a loop the compiler turns
  // into vector instructions.
  constexpr auto low = static_cast<std::uint32_t>(lowest_written_key);
  constexpr auto width = static_cast<std::uint32_t>(highest_written_key) - low;
  std::uint32_t outside = 0;
  for (const std::int32_t key : tc.keys) outside |= (static_cast<std::uint32_t>(key) - low) > width;
  const bool out_of_range = outside != 0;
  const bool budget_spent = !result.finished;
  if (out_of_range || budget_spent) {
    notes_.test_cases.push_back(
        {.test_case = t, .keys_out_of_range = out_of_range, .budget_spent = budget_spent});
  }
}

test_case_file_notes test_case_file_watcher::finish(const std::string& test_case_file,
                                                    const expected_runs& expected) {
  if (expected.text_after >= 0) {
    line_locator file(test_case_file);
    notes_.text_after_line = file.locate(expected.text_after).line;
  }
  return std::move(notes_);
}

}  // namespace runcheck::explain
