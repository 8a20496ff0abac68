#include "explain/report/audience.h"

namespace runcheck::explain {

test_case_report for_audience(const test_case_report& report, audience who) {
  test_case_report seen = report;
  if (who == audience::student) {
    for (run_finding& run : seen.runs) {
      run.expected_run.reset();
    }
  }
  return seen;
}

void audience_printer::test_case(const file_summary& summary, const test_case_report& report) {
  if (who_ == audience::instructor) {
    printer_.test_case(summary, report);
    return;
  }
  printer_.test_case(summary, for_audience(report, who_));
}

}  // namespace runcheck::explain
