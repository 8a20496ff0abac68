#include "explain/report/audience.h"

#include <algorithm>

namespace runcheck::explain {

bool about_test_case_file(warning::kind what) {
  switch (what) {
    case warning::kind::keys_out_of_range:
    case warning::kind::budget_spent:
    case warning::kind::text_after_test_case_file:
    case warning::kind::no_test_cases:
      return true;
    case warning::kind::numbers_after_run:
    case warning::kind::text_after_run_file:
      break;
  }
  return false;
}

namespace {

void drop_test_case_file_warnings(std::vector<warning>& warnings) {
  std::erase_if(warnings, [](const warning& w) { return about_test_case_file(w.what); });
}

}  // namespace

test_case_report for_audience(const test_case_report& report, audience who) {
  test_case_report seen = report;
  if (who == audience::student) {
    for (run_finding& run : seen.runs) run.expected_run.reset();
    seen.listing_hidden = true;
    seen.why.reset();
    seen.expected_runs = {};
    drop_test_case_file_warnings(seen.warnings);
  }
  return seen;
}

file_summary for_audience(const file_summary& summary, audience who) {
  file_summary seen = summary;
  if (who == audience::student) drop_test_case_file_warnings(seen.warnings);
  return seen;
}

void audience_printer::file_begun(const file_summary& summary) {
  if (who_ == audience::instructor) {
    printer_.file_begun(summary);
    return;
  }
  printer_.file_begun(for_audience(summary, who_));
}

void audience_printer::test_case(const file_summary& summary, const test_case_report& report) {
  if (who_ == audience::instructor) {
    printer_.test_case(summary, report);
    return;
  }
  printer_.test_case(summary, for_audience(report, who_));
}

void audience_printer::file_ended(const file_summary& summary) {
  if (who_ == audience::instructor) {
    printer_.file_ended(summary);
    return;
  }
  printer_.file_ended(for_audience(summary, who_));
}

}  // namespace runcheck::explain
