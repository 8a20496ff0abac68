// Who reads a report, and what each may see of it. A student sees which test
// case fails, the line, run and position in their own file, what kind of
// mistake it is, the faulty program recognised and the hints, but nothing of
// the expected listing: no expected key, no expected count and no buffer. A
// student shown them rebuilds the hidden listing from a few submissions. An
// instructor sees everything. Any printer can filter a report with these.
#pragma once

#include "explain/report/report.h"

namespace runcheck::explain {

// Who reads the report: an instructor sees everything, a student nothing of
// the expected listing.
enum class audience { instructor, student };

// Whether a warning is about the test-case file, the instructor's: keys
// outside -1..32767, a spent pass budget, text after its last test case, no
// test case at all. A student is never told of them, and a count of a
// student's warnings leaves them out.
bool about_test_case_file(warning::kind what);

// `report` as `who` may see it: for a student, marked listing_hidden, with
// each wrong run's expected keys (run_finding::expected_run), the why and
// the expected runs left out, and the warnings about the test-case file.
test_case_report for_audience(const test_case_report& report, audience who);

// `summary` as `who` may see it: for a student, without the warnings about
// the test-case file.
file_summary for_audience(const file_summary& summary, audience who);

// Hands each report to `printer` as `who` may see it.
class audience_printer final : public report_printer {
 public:
  audience_printer(report_printer& printer, audience who) : printer_(printer), who_(who) {}

  void file_begun(const file_summary& summary) override;
  void test_case(const file_summary& summary, const test_case_report& report) override;
  void file_ended(const file_summary& summary) override;
  void all_files_ended() override { printer_.all_files_ended(); }

 private:
  report_printer& printer_;
  audience who_;
};

}  // namespace runcheck::explain
