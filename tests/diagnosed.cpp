#include "diagnosed.h"

#include <fstream>
#include <memory>
#include <optional>

#include "explain/diagnosis/diagnosis.h"
#include "explain/diagnosis/test_case_file_notes.h"
#include "generation/expected_runs.h"

namespace runcheck::explain {

namespace {

class keeper final : public report_printer {
 public:
  explicit keeper(diagnosed& into) : into_(into) {}
  void file_begun(const file_summary& /*summary*/) override {}
  void test_case(const file_summary& /*summary*/, const test_case_report& report) override {
    into_.reports.push_back(report);
  }
  void file_ended(const file_summary& summary) override { into_.summary = summary; }

 private:
  diagnosed& into_;
};

void write(const std::string& path, std::string_view text) {
  std::ofstream(path, std::ios::binary) << text;
}

}  // namespace

std::string test_case_file_of(const std::vector<std::vector<std::int32_t>>& keys) {
  std::string text = std::to_string(keys.size()) + "\n";
  for (const auto& tc : keys) {
    text += std::to_string(tc.size()) + "\n";
    for (std::size_t i = 0; i < tc.size(); ++i) {
      if (i > 0) text += ' ';
      text += std::to_string(tc[i]);
    }
    text += "\n";
  }
  return text;
}

std::string listing_of(const std::vector<run_list>& test_cases) {
  std::string text;
  for (const run_list& runs : test_cases) {
    text += std::to_string(runs.size()) + "\n";
    for (const auto& run : runs) {
      for (std::size_t i = 0; i < run.size(); ++i) {
        if (i > 0) text += ' ';
        text += std::to_string(run[i]);
      }
      text += "\n";
    }
  }
  return text;
}

diagnosed diagnose(std::string_view name, std::string_view test_case_text,
                   std::string_view run_text, bool keep_runs) {
  diagnosed d;
  d.test_case_file = std::string(name) + "_input.txt";
  d.run_file = std::string(name) + "_output.txt";
  write(d.test_case_file, test_case_text);
  write(d.run_file, run_text);
  const auto line = std::make_unique<key_line>();
  test_case_file_watcher watcher;
  stop why;
  const std::optional<expected_runs> expected =
      generate_expected_runs(d.test_case_file.c_str(), *line, &watcher, why);
  if (!expected) return d;
  const test_case_file_notes notes = watcher.finish(d.test_case_file, *expected);
  keeper printer(d);
  report_run_file(d.test_case_file, d.run_file, *expected, notes,
                  diagnosis_options{.keep_runs = keep_runs}, *line, printer);
  return d;
}

}  // namespace runcheck::explain
