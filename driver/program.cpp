// Every text that runcheck prints is in this file, but the words of the
// stops, which runcheck-explain prints too (generation/expected_runs.h).
#include "driver/program.h"

#include <memory>

#include "check/run_file_checker.h"
#include "generation/expected_runs.h"
#include "input/reading.h"
#include "input/text_reader.h"
#include "runs/listing.h"
#include "runs/run_table.h"

namespace runcheck {

namespace {

// The generator's progress: one melt line per melt, then the finishing line
// when a pass found nothing to choose.
class progress_printer final : public generation_observer {
 public:
  explicit progress_printer(output& out) : out_(out) {}

  void test_case_generated(const test_case& /*tc*/, const run_set& /*runs*/,
                           const generation_result& result) override {
    for (int m = 0; m < result.melts; ++m) out_.put("All freezed. Let's melt frezzed records.\n");
    if (result.finished) {
      out_.put("No min record exists. Finished. (r:")
          .put_int(result.read_count)
          .put(", w:")
          .put_int(result.write_count)
          .put(")\n");
    }
  }

 private:
  output& out_;
};

// The stop's words are the ones both programs share, but for two of
// runcheck's own: every test-case file that does not open "does NOT EXIST",
// and a key count below 1 leaves the prompt on its line.
void print_stop(output& out, const stop& s, const program_files& files) {
  if (s.why == stop::reason::test_case_file_not_opened) {
    out.put("Input File Open failed. FILE \"")
        .put(files.test_case_file)
        .put("\" does NOT EXIST.\n");
    return;
  }
  out.put(stop_words(s, files.test_case_file));
  if (s.why != stop::reason::num_keys_less_than_1) out.put("\n");
}

// The check's lines: "Testing test case N.........", a line for a wrong
// count and for each wrong run, then "....PASSED" or "....FAILED".
class verdict_printer final : public check_observer {
 public:
  explicit verdict_printer(output& out) : out_(out) {}

  void count_read(const count_report& count) override {
    const std::int64_t number = std::int64_t{count.test_case} + 1;
    out_.put("Testing test case ").put_int(number).put(".........\n");
    if (count.found != count.expected) {
      out_.put("The number of runs in test case ").put_int(number).put(" is wrong.\n");
    }
  }

  void run_line_read(const run_line_report& /*line*/) override {}

  void wrong_run(const run_report& run) override {
    out_.put("run ").put_int(run.run).put(" is wrong\n");
  }

  void test_case_checked(const test_case_verdict& verdict) override {
    out_.put(verdict.passed ? "....PASSED\n" : "....FAILED\n");
  }

 private:
  output& out_;
};

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
  progress_printer progress(out);
  stop why;
  const std::optional<expected_runs> expected =
      generate_expected_runs(files.test_case_file, *line, &progress, why);
  if (!expected) {
    print_stop(out, why, files);
    return;
  }
  const run_table& table = expected->table;

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
  verdict_printer verdicts(out);
  const check_result result = check_run_file(*runs, table, *line, verdicts);
  out.put("================================================\n");
  out.put(result.all_passed ? "Your File PASS the TEST\n" : "Your File CANNOT PASS the TEST\n");
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
