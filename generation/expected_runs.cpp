#include "generation/expected_runs.h"

#include <utility>

namespace runcheck {

std::optional<test_case_source> test_case_source::open(const char* path, stop& why) {
  platform::open_failure failure = platform::open_failure::none;
  std::optional<text_reader> file = open_text_file(path, &failure);
  if (!file) {
    why = stop{.why = stop::reason::test_case_file_not_opened, .failure = failure};
    return std::nullopt;
  }
  return start(std::move(*file), why);
}

std::optional<test_case_source> test_case_source::start(text_reader file, stop& why) {
  std::int64_t offset = 0;
  bool number_read = false;
  const std::int32_t count = scan_count(file, &offset, &number_read);
  if (!number_read) {
    why = stop{.why = stop::reason::num_test_cases_unreadable, .offset = offset};
    return std::nullopt;
  }
  if (count < 0) {
    why = stop{.why = stop::reason::negative_num_test_cases, .count = count, .offset = offset};
    return std::nullopt;
  }
  return test_case_source(std::move(file), count);
}

std::optional<test_case> test_case_source::next(key_line& line, stop& why) {
  const std::int32_t t = read_so_far_++;
  const test_case tc = read_test_case(file_, line);
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
  return tc;
}

std::int64_t test_case_source::text_after() { return skip_to_text(file_); }

namespace {

std::optional<expected_runs> generate(std::optional<test_case_source> source, key_line& line,
                                      generation_observer* observer, stop& why, runs_kept keep) {
  if (!source) return std::nullopt;
  // The table grows as test cases are generated; it is not sized from
  // num_test_cases, which may announce far more than the file holds.
  std::optional<expected_runs> result(std::in_place);
  run_table& table = result->table;
  for (std::int32_t t = 0; t < source->num_test_cases(); ++t) {
    const std::optional<test_case> tc = source->next(line, why);
    if (!tc) return std::nullopt;
    std::optional<run_set> set = table.open_test_case();
    if (!set) {
      why = stop{.why = stop::reason::out_of_memory,
                 .test_case = t,
                 .count = tc->num_keys,
                 .offset = tc->key_line_offset};
      return std::nullopt;
    }
    const generation_result generated = generate_runs(tc->keys, *set);
    table.close_test_case(*set);
    if (observer != nullptr) observer->test_case_generated(*tc, *set, generated);
    if (keep == runs_kept::none) table.clear();
  }
  result->text_after = source->text_after();
  return result;
}

}  // namespace

std::optional<expected_runs> generate_expected_runs(const char* test_case_file, key_line& line,
                                                    generation_observer* observer, stop& why,
                                                    runs_kept keep) {
  return generate(test_case_source::open(test_case_file, why), line, observer, why, keep);
}

std::optional<expected_runs> generate_expected_runs(text_reader input, key_line& line,
                                                    generation_observer* observer, stop& why,
                                                    runs_kept keep) {
  return generate(test_case_source::start(std::move(input), why), line, observer, why, keep);
}

std::string stop_words(const stop& why, std::string_view test_case_file) {
  const std::string test_case = std::to_string(std::int64_t{why.test_case} + 1);
  switch (why.why) {
    case stop::reason::test_case_file_not_opened:
      return not_opened_words(test_case_file, why.failure);
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

}  // namespace runcheck
