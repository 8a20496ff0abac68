#include "explain/diagnosis.h"

#include <limits>
#include <optional>
#include <string_view>
#include <vector>

#include "check/run_file_checker.h"
#include "explain/line_locator.h"
#include "input/text_reader.h"

namespace runcheck::explain {

namespace {

constexpr std::size_t none = std::numeric_limits<std::size_t>::max();

// One test case as the checker left it: its count, its verdict, and where
// its wrong runs are in the file's list of them.
struct test_case_findings {
  count_report count;
  bool passed = false;
  std::size_t first_run = 0;
  std::size_t kept_runs = 0;
  std::int64_t more_runs = 0;

  bool count_wrong() const { return count.found != count.expected; }
};

struct file_findings {
  std::vector<test_case_findings> test_cases;
  std::vector<run_report> runs;
  std::int32_t passed = 0;
};

class collector final : public check_observer {
 public:
  explicit collector(file_findings& findings) : findings_(findings) {}

  void count_read(const count_report& count) override {
    findings_.test_cases.push_back({.count = count, .first_run = findings_.runs.size()});
  }

  void wrong_run(const run_report& run) override {
    test_case_findings& current = findings_.test_cases.back();
    if (current.kept_runs < max_kept_runs) {
      findings_.runs.push_back(run);
      ++current.kept_runs;
    } else {
      ++current.more_runs;
    }
  }

  void run_line_read(const run_line_report& /*line*/) override {}

  void test_case_checked(const test_case_verdict& verdict) override {
    findings_.test_cases.back().passed = verdict.passed;
  }

 private:
  file_findings& findings_;
};

// The test case after which the file is read out of step, or `none`: the
// first whose count is wrong, or whose first run is empty (its count read
// skips the empty run lines) while a later test case fails. Only a test case
// with another after it counts.
std::size_t out_of_step_cause(const file_findings& findings, const run_table& table) {
  const auto& cases = findings.test_cases;
  std::size_t last_failure = none;
  for (std::size_t t = 0; t < cases.size(); ++t) {
    if (!cases[t].passed) last_failure = t;
  }
  for (std::size_t t = 0; t + 1 < cases.size(); ++t) {
    if (cases[t].count_wrong()) return t;
    const bool empty_first_run = run_length(table[static_cast<std::int32_t>(t)], 1) == 0;
    if (empty_first_run && last_failure != none && last_failure > t) return t;
  }
  return none;
}

bool looks_like_utf16(std::string_view head) {
  return head.starts_with("\xff\xfe") || head.starts_with("\xfe\xff") ||
         head.find('\0') != std::string_view::npos;
}

place locate(line_locator& file, std::int64_t offset) {
  const located_line at = file.locate(offset);
  return {.line = at.line, .text = std::string(at.text)};
}

std::size_t token_count(std::string_view text) {
  std::size_t count = 0;
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t end = std::min(text.find(' ', i), text.size());
    if (end > i) ++count;
    i = end + 1;
  }
  return count;
}

void add_line_hints(const place& at, std::vector<hint>& hints) {
  if (at.line == 0) hints.push_back(hint::file_ends_early);
  if (at.text.find('\t') != std::string::npos) hints.push_back(hint::tabs);
  if (at.text.find(',') != std::string::npos) hints.push_back(hint::commas);
}

count_finding count_finding_of(const count_report& count, line_locator& file) {
  count_finding finding{
      .expected = count.expected, .found = count.found, .at = locate(file, count.offset)};
  if (finding.at.line > 0 && token_count(finding.at.text) > 1) {
    finding.hints.push_back(hint::count_not_alone);
  }
  add_line_hints(finding.at, finding.hints);
  return finding;
}

run_finding run_finding_of(const run_report& run, const run_set& expected, line_locator& file) {
  const auto keys = run_keys(expected, run.run + 1);
  run_finding finding{.run = run.run,
                      .position = run.position,
                      .expected = run.expected,
                      .found = run.found,
                      .expected_run = std::vector<std::int32_t>(keys.begin(), keys.end()),
                      .at = locate(file, run.offset)};
  add_line_hints(finding.at, finding.hints);
  return finding;
}

std::string stop_message(const stop& why, const std::string& test_case_file) {
  const std::string test_case = std::to_string(std::int64_t{why.test_case} + 1);
  switch (why.why) {
    case stop::reason::test_case_file_not_opened:
      return "Input File Open failed. FILE \"" + test_case_file + "\" does NOT EXIST.";
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

}  // namespace

file_summary report_run_file(const std::string& test_case_file, const std::string& run_file,
                             const run_table& table, key_line& line, report_printer& printer) {
  file_summary summary{.test_case_file = test_case_file, .run_file = run_file};
  std::optional<text_reader> checked = open_text_file(run_file.c_str());
  if (!checked) {
    summary.stopped =
        stop_report{.message = "Test File Open failed. FILE \"" + run_file + "\" does NOT EXIST.",
                    .file = run_file};
    printer.file_begun(summary);
    printer.file_ended(summary);
    return summary;
  }
  file_findings findings;
  findings.test_cases.reserve(static_cast<std::size_t>(table.size()));
  collector observer(findings);
  summary.passed = check_run_file(*checked, table, line, observer).passed;
  summary.total = table.size();
  checked.reset();

  // The second read: the line and text of every finding.
  line_locator file(open_text_file(run_file.c_str()));
  summary.looks_like_utf16 = looks_like_utf16(file.head());
  const std::size_t cause = out_of_step_cause(findings, table);
  printer.file_begun(summary);
  const auto& cases = findings.test_cases;
  for (std::size_t t = 0; t < cases.size(); ++t) {
    const test_case_findings& found = cases[t];
    test_case_report report{.test_case = static_cast<std::int32_t>(t),
                            .passed = found.passed,
                            .out_of_step = cause != none && t > cause,
                            .more_runs = found.more_runs};
    if (found.count_wrong()) report.count = count_finding_of(found.count, file);
    const run_set expected = table[static_cast<std::int32_t>(t)];
    for (std::size_t k = 0; k < found.kept_runs; ++k) {
      report.runs.push_back(run_finding_of(findings.runs[found.first_run + k], expected, file));
    }
    if (t == cause) {
      report.shifted = shift{.empty_first_run = !found.count_wrong(),
                             .next_count_line = file.locate(cases[t + 1].count.offset).line};
    }
    printer.test_case(summary, report);
  }
  printer.file_ended(summary);
  return summary;
}

file_summary report_stopped(const std::string& test_case_file, const std::string& run_file,
                            const stop& why, report_printer& printer) {
  stop_report stopped{.message = stop_message(why, test_case_file), .file = test_case_file};
  if (why.offset >= 0) {
    line_locator file(open_text_file(test_case_file.c_str()));
    stopped.line = file.locate(why.offset).line;
  }
  file_summary summary{.test_case_file = test_case_file, .run_file = run_file, .stopped = stopped};
  printer.file_begun(summary);
  printer.file_ended(summary);
  return summary;
}

}  // namespace runcheck::explain
