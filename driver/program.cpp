#include "driver/program.h"

#include <memory>

#include "check/verdict_printer.h"
#include "driver/expected_runs.h"
#include "generation/record_buffer.h"
#include "input/reading.h"
#include "input/text_reader.h"
#include "runs/listing.h"
#include "runs/run_table.h"

namespace runcheck {

namespace {

// Steps up to the closing line. A return is a stop: the caller goes straight
// to the final wait.
void run_phases(const program_files& files, output& out) {
  out.put("Input file name: \"")
      .put(files.test_case_file)
      .put("\", buffer_size: ")
      .put_int(buffer_capacity)
      .put("\n");

  // read_str's numbers, shared by the test-case reader and the checker.
  const auto line = std::make_unique<key_line>();
  stop why;
  const std::optional<run_table> table =
      generate_expected_runs(files.test_case_file, *line, &out, why);
  if (!table) {
    put_stop_message(out, why, files);
    return;
  }

  out.put("=========================> finished\n");
  out.put("=========================> Output File should be..\n");
  print_listing(out, *table);
  out.put("<===============================================\n");
  out.put("\n\n");

  out.put("=========================> Test\n");
  out.put("Open Output file name for Test: \"").put(files.run_file).put("\"\n");
  std::optional<text_reader> runs = open_text_file(files.run_file);
  if (!runs) {
    put_stop_message(out, {stop::reason::run_file_not_opened}, files);
    out.put("Your File CANNOT PASS the TEST\n");
    return;
  }
  print_check(*runs, *table, *line, out);
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
