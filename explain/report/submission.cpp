#include "explain/report/submission.h"

#include <cmath>
#include <cstdint>

#include "explain/report/audience.h"

namespace runcheck::explain {

submission_verdict verdict_of(const file_summary& summary) {
  if (summary.stopped) {
    if (summary.stopped->several_run_files) return submission_verdict::several;
    if (summary.stopped->file != summary.run_file || summary.run_file == summary.test_case_file)
      return submission_verdict::stopped;
    return summary.stopped->failure == platform::open_failure::no_such_file
               ? submission_verdict::missing
               : submission_verdict::unreadable;
  }
  return summary.status() == 0 ? submission_verdict::passed : submission_verdict::failed;
}

std::string_view name_of(submission_verdict verdict) {
  switch (verdict) {
    case submission_verdict::passed:
      return "passed";
    case submission_verdict::failed:
      return "failed";
    case submission_verdict::missing:
      return "missing";
    case submission_verdict::unreadable:
      return "unreadable";
    case submission_verdict::stopped:
      return "stopped";
    case submission_verdict::several:
      return "several_run_files";
  }
  return {};
}

double independent_fraction(const file_summary& summary) {
  if (summary.stopped) return 0;
  if (summary.total == 0) return summary.status() == 0 ? 1 : 0;
  return static_cast<double>(summary.passed_independently) / summary.total;
}

std::string fraction_text(double fraction) {
  // Four decimals, rounded down so that a file short of full marks never
  // reads as 1; trailing zeros dropped.
  const auto ten_thousandths = static_cast<std::int64_t>(std::floor(fraction * 10000 + 1e-9));
  std::string text = std::to_string(ten_thousandths / 10000);
  std::int64_t rest = ten_thousandths % 10000;
  if (rest == 0) return text;
  std::string decimals = std::to_string(rest + 10000).substr(1);
  while (decimals.back() == '0') decimals.pop_back();
  return text + "." + decimals;
}

std::int64_t own_warnings(const test_case_report& report) {
  std::int64_t own = report.more_warnings;
  for (const warning& w : report.warnings)
    if (!about_test_case_file(w.what)) ++own;
  return own;
}

void class_tally::add(const file_summary& summary) {
  ++files_;
  ++verdicts_[static_cast<std::size_t>(verdict_of(summary))];
  if (summary.variant) {
    program& p = programs_[summary.variant->name];
    if (p.files == 0) p.description = summary.variant->description;
    ++p.files;
  }
}

}  // namespace runcheck::explain
