#include "generation/expected_runs.h"

#include "input/text_reader.h"

namespace runcheck {

std::optional<run_table> generate_expected_runs(const char* test_case_file, key_line& line,
                                                generation_observer* observer, stop& why,
                                                runs_kept keep) {
  std::optional<text_reader> input = open_text_file(test_case_file);
  if (!input) {
    why = stop{.why = stop::reason::test_case_file_not_opened};
    return std::nullopt;
  }
  return generate_expected_runs(*input, line, observer, why, keep);
}

std::optional<run_table> generate_expected_runs(text_reader& input, key_line& line,
                                                generation_observer* observer, stop& why,
                                                runs_kept keep) {
  std::int64_t offset = 0;
  const std::int32_t num_test_cases = scan_count(input, &offset);
  if (num_test_cases < 0) {
    why = stop{
        .why = stop::reason::negative_num_test_cases, .count = num_test_cases, .offset = offset};
    return std::nullopt;
  }
  // The table grows as test cases are generated; it is not sized from
  // num_test_cases, which may announce far more than the file holds.
  std::optional<run_table> table(std::in_place);
  for (std::int32_t t = 0; t < num_test_cases; ++t) {
    const test_case tc = read_test_case(input, line);
    if (tc.num_keys < 1) {
      why = stop{.why = stop::reason::num_keys_less_than_1,
                 .test_case = t,
                 .count = tc.num_keys,
                 .offset = tc.count_offset};
      return std::nullopt;
    }
    if (tc.numbers_read < tc.num_keys) {
      why = stop{.why = stop::reason::short_key_line,
                 .test_case = t,
                 .count = tc.num_keys,
                 .numbers_read = tc.numbers_read,
                 .offset = tc.key_line_offset};
      return std::nullopt;
    }
    std::optional<run_set> set = table->open_test_case();
    if (!set) {
      why = stop{.why = stop::reason::out_of_memory,
                 .test_case = t,
                 .count = tc.num_keys,
                 .offset = tc.key_line_offset};
      return std::nullopt;
    }
    const generation_result result = generate_runs(tc.keys, *set);
    table->close_test_case(*set);
    if (observer != nullptr) observer->test_case_generated(tc, *set, result);
    if (keep == runs_kept::none) table->clear();
  }
  return table;
}

}  // namespace runcheck
