#include "explain/stress/trial.h"

#include <algorithm>
#include <memory>

#include "check/run_file_checker.h"
#include "explain/diagnosis/diagnosis.h"
#include "explain/diagnosis/test_case_file_notes.h"
#include "generation/expected_runs.h"
#include "platform/platform.h"

namespace runcheck::explain {

std::string_view failure_name(failure_kind kind) {
  switch (kind) {
    case failure_kind::none:
      return "none";
    case failure_kind::not_started:
      return "not_started";
    case failure_kind::interrupted:
      return "interrupted";
    case failure_kind::timed_out:
      return "timed_out";
    case failure_kind::too_much_output:
      return "too_much_output";
    case failure_kind::crashed:
      return "crashed";
    case failure_kind::exit_status:
      return "exit_status";
    case failure_kind::no_run_file:
      return "no_run_file";
    case failure_kind::wrong_runs:
      return "wrong_runs";
  }
  return "none";
}

bool trial_result::same_failure(const trial_result& other) const {
  if (kind != other.kind) return false;
  if (kind == failure_kind::wrong_runs) {
    return recognised.has_value() == other.recognised.has_value() &&
           (!recognised || recognised->name == other.recognised->name);
  }
  const bool coded = kind == failure_kind::exit_status || kind == failure_kind::crashed ||
                     kind == failure_kind::too_much_output;
  return !coded || code == other.code;
}

namespace {

// The last bytes of standard error kept for the hand-back.
constexpr std::size_t kept_errors = 2048;

// The first `cap` bytes of the file at `path` into `bytes`, and its whole
// size; false when it is not a file that opens.
bool read_file(const std::string& path, std::int64_t cap, std::string& bytes, std::int64_t& size) {
  bytes.clear();
  size = 0;
  const platform::opened_file opened = platform::open_regular_file(path.c_str());
  if (opened.file == platform::file_handle::none) return false;
  char block[1 << 16];
  for (std::size_t n = 0; (n = platform::read_block(opened.file, block, sizeof block)) > 0;) {
    size += static_cast<std::int64_t>(n);
    const auto room = static_cast<std::size_t>(std::max<std::int64_t>(0, cap - std::ssize(bytes)));
    bytes.append(block, std::min(n, room));
  }
  platform::close_file(opened.file);
  return true;
}

// Keeps the faulty program that the report names: the file's, or else the
// first that a failing test case's runs are recognised as.
class recognition final : public report_printer {
 public:
  void file_begun(const file_summary& /*summary*/) override {}
  void test_case(const file_summary& /*summary*/, const test_case_report& report) override {
    if (!report.passed && report.variant && !first_) {
      first_ = report.variant;
      test_case_ = report.test_case;
    }
  }
  void file_ended(const file_summary& summary) override { file_ = summary.variant; }

  std::optional<variant_match> recognised() const { return file_ ? file_ : first_; }
  std::optional<std::int32_t> test_case() const {
    return first_ ? std::optional<std::int32_t>(test_case_) : std::nullopt;
  }

 private:
  std::optional<variant_match> first_;
  std::int32_t test_case_ = 0;
  std::optional<variant_match> file_;
};

class failure_collector final : public check_observer {
 public:
  void count_read(const count_report& /*count*/) override {}
  void run_line_read(const run_line_report& /*line*/) override {}
  void wrong_run(const run_report& /*run*/) override {}
  void test_case_checked(const test_case_verdict& verdict) override {
    if (!verdict.passed) failed.push_back(verdict.test_case);
  }
  std::vector<std::int32_t> failed;
};

}  // namespace

bool report_files(const std::string& test_case_file, const std::string& run_file,
                  report_printer& printer) {
  const auto line = std::make_unique<key_line>();
  stop why;
  test_case_file_watcher watcher;
  const std::optional<expected_runs> expected =
      generate_expected_runs(test_case_file.c_str(), *line, &watcher, why);
  if (!expected) return false;
  const test_case_file_notes notes = watcher.finish(test_case_file, *expected);
  report_run_file(test_case_file, run_file, *expected, notes, {}, *line, printer);
  printer.all_files_ended();
  return true;
}

std::vector<std::int32_t> failing_test_cases(const test_case_file& file, std::string_view text) {
  const auto line = std::make_unique<key_line>();
  stop why;
  const std::optional<expected_runs> expected =
      generate_expected_runs(read_text(file_text(file)), *line, nullptr, why);
  failure_collector collector;
  if (!expected) return collector.failed;  // never for a fair test
  text_reader run_file = read_text(text);
  check_run_file(run_file, expected->table, *line, collector);
  return collector.failed;
}

trial_result run_trial(const trial_setup& setup, const test_case_file& file) {
  trial_result result;
  const std::string folder = setup.session_folder + "/run";
  const std::string input = folder + "/" + default_test_case_file;
  const std::string output = setup.session_folder + "/stdout.txt";
  const std::string errors = setup.session_folder + "/stderr.txt";
  if (!platform::empty_folder(folder) || !platform::write_text_file(input, file_text(file))) {
    return {.kind = failure_kind::not_started,
            .why = "its folder could not be made in " + setup.session_folder};
  }
  const platform::program_ending ending =
      platform::run_program({.command = setup.command,
                             .folder = folder,
                             .standard_input = input,
                             .standard_output = output,
                             .standard_error = errors,
                             .watched_file = setup.from_stdout ? "" : run_file_name,
                             .size_cap = output_cap,
                             .time_limit = setup.time_limit});
  result.seconds = ending.seconds;
  result.code = ending.code;
  switch (ending.what) {
    case platform::program_ending::how::not_started:
      return {.kind = failure_kind::not_started, .why = ending.why};
    case platform::program_ending::how::interrupted:
      return {.kind = failure_kind::interrupted};
    case platform::program_ending::how::timed_out:
      result.kind = failure_kind::timed_out;
      break;
    case platform::program_ending::how::too_much_output:
      result.kind = failure_kind::too_much_output;
      break;
    case platform::program_ending::how::crashed:
      result.kind = failure_kind::crashed;
      break;
    case platform::program_ending::how::exited:
      if (ending.code != 0) result.kind = failure_kind::exit_status;
      break;
  }

  std::string printed;
  read_file(output, output_cap, printed, result.printed);
  std::int64_t error_size = 0;
  read_file(errors, output_cap, result.errors, error_size);
  if (result.errors.size() > kept_errors)
    result.errors.erase(0, result.errors.size() - kept_errors);
  std::int64_t run_file_size = 0;
  if (setup.from_stdout) {
    result.run_file = std::move(printed);
    run_file_size = result.printed;
    result.has_run_file = run_file_size > 0;
  } else {
    result.has_run_file =
        read_file(folder + "/" + run_file_name, output_cap, result.run_file, run_file_size);
  }
  if (result.kind != failure_kind::none) return result;
  // A file that grew past the cap in the last moments of the program.
  const std::int64_t sizes[] = {result.printed, error_size, run_file_size};
  const auto* over = std::find_if(std::begin(sizes), std::end(sizes),
                                  [](std::int64_t size) { return size > output_cap; });
  if (over != std::end(sizes)) {
    result.kind = failure_kind::too_much_output;
    result.code = setup.from_stdout && over == std::end(sizes) - 1 ? 0 : over - std::begin(sizes);
  } else if (!result.has_run_file) {
    result.kind = failure_kind::no_run_file;
  } else {
    result.failed_test_cases = failing_test_cases(file, result.run_file);
    if (!result.failed_test_cases.empty()) {
      result.kind = failure_kind::wrong_runs;
      recognition names;
      report_files(input, setup.from_stdout ? output : folder + "/" + run_file_name, names);
      result.recognised = names.recognised();
      result.recognised_in = names.test_case();
    }
  }
  return result;
}

}  // namespace runcheck::explain
