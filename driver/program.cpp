#include "driver/program.h"

#include <cstdint>
#include <memory>

#include "check/run_file_checker.h"
#include "generation/record_buffer.h"
#include "generation/run_generator.h"
#include "input/reading.h"
#include "input/test_case.h"
#include "input/text_reader.h"
#include "runs/listing.h"
#include "runs/run_table.h"

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

// Steps up to the closing line. A return is a stop: the caller goes straight
// to the final wait.
void run_phases(const program_files& files, output& out) {
  out.put("Input file name: \"")
      .put(files.test_case_file)
      .put("\", buffer_size: ")
      .put_int(buffer_capacity)
      .put("\n");

  record_buffer buffer;
  // read_str's numbers, shared by the test-case reader and the checker.
  const auto line = std::make_unique<key_line>();

  std::optional<text_reader> input = open_text_file(files.test_case_file);
  if (!input) {
    out.put("Input File Open failed. FILE \"")
        .put(files.test_case_file)
        .put("\" does NOT EXIST.\n");
    return;
  }

  const std::int32_t num_test_cases = scan_count(*input);
  if (num_test_cases < 0) {
    out.put("num_test_cases is less than 0.\n");
    return;
  }
  // The table grows as test cases are generated; it is not sized from
  // num_test_cases, which may announce far more than the file holds.
  run_table table;

  for (std::int32_t t = 0; t < num_test_cases; ++t) {
    reset_records(buffer);
    const test_case tc = read_test_case(*input, *line);
    if (tc.num_keys < 1) {
      out.put("num_keys is less than 1 at test case ").put_int(std::int64_t{t} + 1).put(".");
      return;
    }
    if (tc.numbers_read < tc.num_keys) {
      out.put("num_keys is ")
          .put_int(tc.num_keys)
          .put(" but the key line holds only ")
          .put_int(tc.numbers_read)
          .put(" at test case ")
          .put_int(std::int64_t{t} + 1)
          .put(".\n");
      return;
    }
    std::optional<run_set> set = table.open_test_case();
    if (!set) {
      out.put("Not enough memory at test case ").put_int(std::int64_t{t} + 1).put(".\n");
      return;
    }
    print_generation_messages(out, generate_runs(tc.keys, buffer, *set));
    table.close_test_case(*set);
  }
  input.reset();

  out.put("=========================> finished\n");
  out.put("=========================> Output File should be..\n");
  print_listing(out, table);
  out.put("<===============================================\n");
  out.put("\n\n");

  out.put("=========================> Test\n");
  out.put("Open Output file name for Test: \"").put(files.run_file).put("\"\n");
  std::optional<text_reader> runs = open_text_file(files.run_file);
  if (!runs) {
    out.put("Test File Open failed. FILE \"").put(files.run_file).put("\" does NOT EXIST.\n");
    out.put("Your File CANNOT PASS the TEST\n");
    return;
  }
  check_run_file(*runs, table, *line, out);
  out.put("<===============================================\n");
}

}  // namespace

void run_program(const program_files& files, output& out) noexcept {
  try {
    run_phases(files, out);
  } catch (...) {
    // Only memory exhaustion can throw here; the stop is the same as any other.
  }
  try {
    out.put("Press Enter Any Key to Finish.");
  } catch (...) {
  }
  out.flush();
}

}  // namespace runcheck
