#include "explain/grading/class_printers.h"

#include <algorithm>
#include <vector>

#include "explain/grading/grading_printers.h"
#include "explain/printers/message.h"
#include "explain/report/audience.h"
#include "explain/report/encoding.h"
#include "platform/platform.h"

namespace runcheck::explain {

// ---- The student of each run file

file_summary student_printer::named(const file_summary& summary) const {
  file_summary with = summary;
  with.student = student_;
  return with;
}

void student_printer::file_begun(const file_summary& summary) {
  printer_.file_begun(named(summary));
}

// The printers read the student at a run file's start and end alone: a
// test case's summary goes on as it is, uncopied.
void student_printer::test_case(const file_summary& summary, const test_case_report& report) {
  printer_.test_case(summary, report);
}

void student_printer::file_ended(const file_summary& summary) {
  printer_.file_ended(named(summary));
}

// ---- CSV

// CR LF ends a row: written as such where a line feed goes out alone, and
// as a line feed where the writer makes every line feed CR LF.
csv_printer::csv_printer(output& out)
    : out_(out), row_end_(platform::line_end() == "\n" ? "\r\n" : "\n") {
  out_.put(
      "student,run_file,verdict,total,passed,passed_independently,score,first_failing,"
      "recognised,warnings");
  out_.put(row_end_);
}

void csv_printer::file_begun(const file_summary& summary) {
  first_failing_ = 0;
  warnings_ = std::count_if(summary.warnings.begin(), summary.warnings.end(),
                            [](const warning& w) { return !about_test_case_file(w.what); });
}

void csv_printer::test_case(const file_summary& /*summary*/, const test_case_report& report) {
  if (!report.passed && first_failing_ == 0) first_failing_ = report.test_case + 1;
  warnings_ += own_warnings(report);
}

void csv_printer::file_ended(const file_summary& summary) {
  put_csv_field(out_, summary.student);
  out_.put(',');
  put_csv_field(out_, summary.run_file);
  out_.put(',').put(name_of(verdict_of(summary))).put(',');
  out_.put_int(summary.total).put(',');
  out_.put_int(summary.passed).put(',');
  out_.put_int(summary.passed_independently).put(',');
  out_.put(fraction_text(independent_fraction(summary))).put(',');
  if (first_failing_ > 0) out_.put_int(first_failing_);
  out_.put(',');
  if (summary.variant) out_.put(summary.variant->name);
  out_.put(',').put_int(warnings_).put(row_end_);
}

// ---- JUnit XML

junit_printer::junit_printer(output& out) : out_(out) {
  out_.put("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<testsuites>\n");
}

void junit_printer::put_name(output& out, std::int64_t test_case) const {
  const std::string number = std::to_string(test_case);
  out.put("test case ");
  for (auto n = static_cast<int>(number.size()); n < width_; ++n) out.put('0');
  out.put(number);
}

void junit_printer::file_begun(const file_summary& summary) {
  cases_.clear();
  written_ = failures_ = left_out_ = 0;
  width_ = static_cast<int>(std::to_string(std::max(summary.total, 1)).size());
}

void junit_printer::test_case(const file_summary& summary, const test_case_report& report) {
  if (cases_.text().size() > junit_suite_cap) {
    ++left_out_;
    return;
  }
  ++written_;
  cases_.put("    <testcase classname=\"");
  put_xml_escaped(cases_, summary.run_file);
  cases_.put("\" name=\"");
  put_name(cases_, std::int64_t{report.test_case} + 1);
  cases_.put(R"(" time="0")");
  if (report.passed) {
    cases_.put("/>\n");
    return;
  }
  ++failures_;
  cases_.put(">\n      <failure message=\"");
  put_name(cases_, std::int64_t{report.test_case} + 1);
  cases_.put(report.failed_by_warning ? " failed for its warnings" : " failed").put("\">");
  put_xml_escaped(cases_, test_case_text(summary, report, audience::instructor));
  cases_.put("</failure>\n    </testcase>\n");
}

void junit_printer::file_ended(const file_summary& summary) {
  // A run file not checked: every test case errs, each with the reason; a
  // test-case file that cannot be used has none, and errs once.
  std::int64_t errors = 0;
  if (summary.stopped) {
    const bool checked_none = verdict_of(summary) == submission_verdict::stopped;
    errors = checked_none ? 1 : std::max<std::int64_t>(summary.total, 1);
    for (std::int64_t t = 1; t <= errors; ++t) {
      cases_.put("    <testcase classname=\"");
      put_xml_escaped(cases_, summary.run_file);
      cases_.put("\" name=\"");
      if (checked_none) {
        cases_.put("check");
      } else {
        put_name(cases_, t);
      }
      cases_.put("\" time=\"0\">\n      <error message=\"");
      put_xml_escaped(cases_, summary.stopped->message);
      cases_.put("\"/>\n    </testcase>\n");
    }
  }
  out_.put("  <testsuite name=\"");
  put_xml_escaped(out_, summary.run_file);
  out_.put("\" tests=\"").put_int(written_ + errors);
  out_.put("\" failures=\"").put_int(failures_);
  out_.put("\" errors=\"").put_int(errors).put("\" time=\"0\">\n");
  out_.put("    <properties>\n");
  if (!summary.student.empty()) {
    out_.put(R"(      <property name="student" value=")");
    put_xml_escaped(out_, summary.student);
    out_.put("\"/>\n");
  }
  out_.put(R"(      <property name="passed_independently" value=")")
      .put_int(summary.passed_independently)
      .put("\"/>\n      <property name=\"total\" value=\"")
      .put_int(summary.total)
      .put("\"/>\n    </properties>\n");
  out_.put(cases_.text());
  cases_.clear();
  out_.put("    <system-out>");
  std::string text = summary_line(summary);
  if (left_out_ > 0) {
    text += "\nThe last " + std::to_string(left_out_) +
            " test cases are left out of this suite, to keep the report within bounds.";
  }
  put_xml_escaped(out_, text);
  out_.put("</system-out>\n  </testsuite>\n");
}

void junit_printer::all_files_ended() { out_.put("</testsuites>\n"); }

// ---- The class summary

void summary_printer::all_files_ended() {
  out_.put("run files: ").put_int(tally_.files()).put('\n');
  constexpr submission_verdict verdicts[] = {
      submission_verdict::passed,     submission_verdict::failed,  submission_verdict::missing,
      submission_verdict::unreadable, submission_verdict::several, submission_verdict::stopped};
  for (const submission_verdict v : verdicts) {
    if (tally_.with(v) > 0 || v == submission_verdict::passed || v == submission_verdict::failed)
      out_.put(name_of(v)).put(": ").put_int(tally_.with(v)).put('\n');
  }
  // Most run files first; by name among equals.
  std::vector<std::pair<std::string_view, class_tally::program>> programs(tally_.programs().begin(),
                                                                          tally_.programs().end());
  std::stable_sort(programs.begin(), programs.end(),
                   [](const auto& a, const auto& b) { return a.second.files > b.second.files; });
  out_.put(programs.empty() ? "recognised: none\n" : "recognised:\n");
  for (const auto& [name, program] : programs) {
    out_.put("  ").put(name).put(": ").put_int(program.files);
    out_.put(program.files == 1 ? " run file, " : " run files, ").put(program.description);
    out_.put('\n');
  }
}

}  // namespace runcheck::explain
