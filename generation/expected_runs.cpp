#include "driver/expected_runs.h"

#include "generation/record_buffer.h"
#include "generation/run_generator.h"
#include "input/test_case.h"
#include "input/text_reader.h"

namespace runcheck {

namespace {

void print_generation_messages(output& out, const generation_result& result) {
  for (int m = 0; m < result.melts; ++m) out.put("All freezed. Let's melt frezzed records.\n");
  if (result.finished) {
    out.put("No min record exists. Finished. (r:")
        .put_int(result.read_count)
        .put(", w:")
        .put_int(result.write_count)
        .put(")\n");
  }
}

}  // namespace

void put_stop_message(output& out, const stop& s, const program_files& files) {
  const std::int64_t test_case = std::int64_t{s.test_case} + 1;
  switch (s.why) {
    case stop::reason::test_case_file_not_opened:
      out.put("Input File Open failed. FILE \"")
          .put(files.test_case_file)
          .put("\" does NOT EXIST.\n");
      break;
    case stop::reason::negative_num_test_cases:
      out.put("num_test_cases is less than 0.\n");
      break;
    case stop::reason::out_of_memory:
      out.put("Not enough memory at test case ").put_int(test_case).put(".\n");
      break;
    case stop::reason::num_keys_less_than_1:
      out.put("num_keys is less than 1 at test case ").put_int(test_case).put(".");
      break;
    case stop::reason::short_key_line:
      out.put("num_keys is ")
          .put_int(s.count)
          .put(" but the key line holds only ")
          .put_int(s.numbers_read)
          .put(" at test case ")
          .put_int(test_case)
          .put(".\n");
      break;
    case stop::reason::run_file_not_opened:
      out.put("Test File Open failed. FILE \"").put(files.run_file).put("\" does NOT EXIST.\n");
      break;
  }
}

std::optional<run_table> generate_expected_runs(const char* test_case_file, key_line& line,
                                                output* progress, stop& why) {
  std::optional<text_reader> input = open_text_file(test_case_file);
  if (!input) {
    why = {stop::reason::test_case_file_not_opened};
    return std::nullopt;
  }
  std::int64_t offset = 0;
  const std::int32_t num_test_cases = scan_count(*input, &offset);
  if (num_test_cases < 0) {
    why = {stop::reason::negative_num_test_cases, 0, num_test_cases, 0, offset};
    return std::nullopt;
  }
  // The table grows as test cases are generated; it is not sized from
  // num_test_cases, which may announce far more than the file holds.
  std::optional<run_table> table(std::in_place);
  record_buffer buffer;
  for (std::int32_t t = 0; t < num_test_cases; ++t) {
    reset_records(buffer);
    const test_case tc = read_test_case(*input, line);
    if (tc.num_keys < 1) {
      why = {stop::reason::num_keys_less_than_1, t, tc.num_keys, 0, tc.count_offset};
      return std::nullopt;
    }
    if (tc.numbers_read < tc.num_keys) {
      why = {stop::reason::short_key_line, t, tc.num_keys, tc.numbers_read, tc.key_line_offset};
      return std::nullopt;
    }
    std::optional<run_set> set = table->open_test_case();
    if (!set) {
      why = {stop::reason::out_of_memory, t, tc.num_keys, 0, tc.key_line_offset};
      return std::nullopt;
    }
    const generation_result result = generate_runs(tc.keys, buffer, *set);
    table->close_test_case(*set);
    if (progress != nullptr) print_generation_messages(*progress, result);
  }
  return table;
}

}  // namespace runcheck
