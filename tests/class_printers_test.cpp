// The printers of a class's results: the CSV row a spreadsheet reads (its
// columns, CR LF, quoting, formulas kept text), JUnit's counts and names
// that sort, the summary's tally, and the student named in each summary.
#include "explain/grading/class_printers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "explain/report/encoding.h"
#include "platform/platform.h"

namespace runcheck::explain {
namespace {

const variant_match buffer_4{.name = "buffer_4",
                             .description = "a program with a buffer of 4 records"};

// Hands `printer` one run file: its test cases' verdicts and warnings, then
// the summary.
void print_file(report_printer& printer, file_summary summary, const std::vector<bool>& passed,
                const std::vector<std::vector<warning::kind>>& warnings = {}) {
  summary.total = static_cast<std::int32_t>(passed.size());
  printer.file_begun(summary);
  for (std::size_t t = 0; t < passed.size(); ++t) {
    test_case_report report{.test_case = static_cast<std::int32_t>(t), .passed = passed[t]};
    if (t < warnings.size())
      for (const warning::kind w : warnings[t]) report.warnings.push_back({.what = w});
    summary.passed += passed[t] ? 1 : 0;
    summary.passed_independently = summary.passed;
    printer.test_case(summary, report);
  }
  printer.file_ended(summary);
}

std::vector<std::string> rows_of(const std::string& text) {
  std::vector<std::string> rows;
  for (std::size_t start = 0, end; (end = text.find("\r\n", start)) != std::string::npos;
       start = end + 2)
    rows.push_back(text.substr(start, end - start));
  return rows;
}

TEST(csv, columns) {
  output out;
  {
    csv_printer csv(out);
    print_file(csv, {.run_file = "a/run.txt", .student = "Ada"}, {true, false, true},
               {{},
                {warning::kind::keys_out_of_range, warning::kind::numbers_after_run},
                {warning::kind::budget_spent}});
    file_summary recognised{.run_file = "b/run.txt", .student = "Bob", .variant = buffer_4};
    print_file(csv, recognised, {false, false});
    file_summary missing{.run_file = "c/run.txt",
                         .student = "Carl",
                         .stopped = stop_report{.message = "cannot open",
                                                .file = "c/run.txt",
                                                .failure = platform::open_failure::no_such_file}};
    print_file(csv, missing, {});
  }
  // Every row, the header too, ends with CR LF as written, and nothing else
  // does. Where the writer ends every line with CR LF itself (Windows), the
  // printer leaves each a line feed.
  std::string text;
  for (const char c : out.text()) {
    if (c == '\n' && platform::line_end() != "\n") text += '\r';
    text += c;
  }
  EXPECT_TRUE(text.ends_with("\r\n"));
  EXPECT_EQ(text.size(), text.find_last_of('\n') + 1);
  const std::vector<std::string> rows = rows_of(text);
  ASSERT_EQ(4U, rows.size());
  EXPECT_EQ(
      "student,run_file,verdict,total,passed,passed_independently,score,first_failing,recognised,"
      "warnings",
      rows[0]);
  // The warnings about the test-case file are not the student's.
  EXPECT_EQ("Ada,a/run.txt,failed,3,2,2,0.6666,2,,1", rows[1]);
  EXPECT_EQ("Bob,b/run.txt,failed,2,0,0,0,1,buffer_4,0", rows[2]);
  EXPECT_EQ("Carl,c/run.txt,missing,0,0,0,0,,,0", rows[3]);
}

TEST(csv, fields_stay_text) {
  struct row {
    std::string_view student;
    std::string_view field;
  };
  const row rows[] = {
      {"=cmd|' /C calc'!A0", "'=cmd|' /C calc'!A0"},
      {"+1", "'+1"},
      {"-2+3", "'-2+3"},
      {"@SUM(A1)", "'@SUM(A1)"},
      {"\tx", "'\tx"},
      {"a=b", "a=b"},
      {"Doe, Jane", "\"Doe, Jane\""},
      {"=1,2", "\"'=1,2\""},
      {R"(say "hi")", R"("say ""hi""")"},
      {"two\nlines", "\"two\nlines\""},
      {"caf\xC3\xA9", "caf\xC3\xA9"},
      {"bad\xFF", "bad\xEF\xBF\xBD"},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(std::string(r.student));
    output out;
    put_csv_field(out, r.student);
    EXPECT_EQ(r.field, out.text());
  }
}

TEST(junit, every_suite_counts_every_test_case) {
  output out;
  {
    junit_printer junit(out);
    print_file(junit, {.run_file = "a.txt", .student = "Ada"}, std::vector<bool>(12, true));
    file_summary missing{.run_file = "b.txt",
                         .stopped = stop_report{.message = "cannot open",
                                                .file = "b.txt",
                                                .failure = platform::open_failure::no_such_file}};
    missing.total = 12;
    junit.file_begun(missing);
    junit.file_ended(missing);
    file_summary broken{.test_case_file = "t.txt",
                        .run_file = "c.txt",
                        .stopped = stop_report{.message = "bad count", .file = "t.txt", .line = 2}};
    junit.file_begun(broken);
    junit.file_ended(broken);
    junit.all_files_ended();
  }
  const std::string xml = out.text();
  EXPECT_NE(std::string::npos, xml.find(R"(name="a.txt" tests="12" failures="0" errors="0")"));
  EXPECT_NE(std::string::npos, xml.find(R"(name="b.txt" tests="12" failures="0" errors="12")"));
  EXPECT_NE(std::string::npos, xml.find(R"(name="c.txt" tests="1" failures="0" errors="1")"));
  EXPECT_NE(std::string::npos, xml.find(R"(<property name="student" value="Ada"/>)"));
  // The names sort as the test cases come: test case 01 ... test case 12.
  std::vector<std::string> names;
  for (std::size_t at = xml.find("name=\"test case "); at != std::string::npos;
       at = xml.find("name=\"test case ", at + 1))
    names.push_back(xml.substr(at + 6, xml.find('"', at + 6) - at - 6));
  ASSERT_EQ(24U, names.size());
  EXPECT_EQ("test case 01", names[0]);
  EXPECT_EQ("test case 12", names[11]);
  EXPECT_TRUE(std::is_sorted(names.begin(), names.begin() + 12));
  EXPECT_TRUE(xml.ends_with("</testsuites>\n"));
}

TEST(summary, tally_of_a_class) {
  output out;
  summary_printer summary(out);
  print_file(summary, {.run_file = "a"}, {true, true});
  print_file(summary, {.run_file = "b", .variant = buffer_4}, {false, true});
  print_file(summary, {.run_file = "c", .variant = buffer_4}, {false, false});
  print_file(summary, {.run_file = "d"}, {false, true});
  summary.all_files_ended();
  EXPECT_EQ(
      "run files: 4\n"
      "passed: 1\n"
      "failed: 3\n"
      "recognised:\n"
      "  buffer_4: 2 run files, a program with a buffer of 4 records\n",
      out.text());
}

// A printer that keeps the students it is told of, at each call.
class students_seen final : public report_printer {
 public:
  void file_begun(const file_summary& s) override { seen.push_back("begun " + s.student); }
  void test_case(const file_summary& s, const test_case_report& /*r*/) override {
    seen.push_back("test case " + s.student);
  }
  void file_ended(const file_summary& s) override { seen.push_back("ended " + s.student); }
  std::vector<std::string> seen;
};

// The student stands in a run file's start and end, which the printers
// that name a student read; a test case's summary goes on uncopied.
TEST(student_printer, names_the_student_at_each_file_start_and_end) {
  students_seen inner;
  student_printer named(inner);
  named.set_student("Ada");
  print_file(named, {.run_file = "a"}, {true});
  named.set_student("Bob");
  print_file(named, {.run_file = "b"}, {});
  EXPECT_EQ(
      (std::vector<std::string>{"begun Ada", "test case ", "ended Ada", "begun Bob", "ended Bob"}),
      inner.seen);
}

}  // namespace
}  // namespace runcheck::explain
