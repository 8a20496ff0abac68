#include "explain/report.h"

namespace runcheck::explain {

namespace {

class collector final : public check_observer {
 public:
  explicit collector(file_report& report) : report_(report) {}

  void count_read(const count_report& count) override {
    report_.test_cases.push_back({count, false, report_.runs.size(), 0, 0});
  }

  void wrong_run(const run_report& run) override {
    test_case_report& current = report_.test_cases.back();
    if (current.kept_runs < max_kept_runs) {
      report_.runs.push_back(run);
      ++current.kept_runs;
    } else {
      ++current.more_runs;
    }
  }

  void test_case_checked(std::int32_t /*test_case*/, bool passed) override {
    report_.test_cases.back().passed = passed;
  }

 private:
  file_report& report_;
};

}  // namespace

void check_file(const run_table& table, key_line& line, file_report& report) {
  std::optional<text_reader> file = open_text_file(report.run_file.c_str());
  if (!file) {
    report.stopped = stop{stop::reason::run_file_not_opened};
    return;
  }
  report.test_cases.reserve(static_cast<std::size_t>(table.size()));
  collector findings(report);
  report.passed = check_run_file(*file, table, line, findings).passed;
}

}  // namespace runcheck::explain
