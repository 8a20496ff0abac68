// The printers say a report in the same words: the text, the HTML page and
// the graders' messages; and the page's chart stays within its frame
// whatever the runs.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "explain/grading/grading_printers.h"
#include "explain/printers/html_chart.h"
#include "explain/printers/html_printer.h"
#include "explain/printers/sentences.h"
#include "explain/printers/text_printer.h"
#include "explain/report/encoding.h"

namespace runcheck::explain {
namespace {

std::string escaped(std::string_view text) {
  output out;
  put_xml_escaped(out, text);
  return out.text();
}

// A run file of three test cases: the second fails at its second run, the
// third has a warning.
struct sample_file {
  file_summary summary;
  std::vector<test_case_report> reports;
};

sample_file failing_file() {
  sample_file f;
  f.summary.test_case_file = "tests <1>.txt";
  f.summary.run_file = "run & \"file\".txt";
  f.summary.total = 3;
  test_case_report passing;
  passing.passed = passing.passed_independently = true;
  f.reports.push_back(passing);
  test_case_report failing;
  failing.test_case = 1;
  failing.variant = variant_match{"buffer_4", "a program with a buffer of 4 records"};
  run_finding wrong;
  wrong.run = 1;
  wrong.position = 2;
  wrong.expected = 7;
  wrong.found = 9;
  wrong.expected_run = std::vector<std::int32_t>{5, 6, 7, 8};
  wrong.at = {.line = 4, .text = "5 6 9 <8>"};
  wrong.hints.push_back({.what = hint::kind::tabs});
  failing.runs.push_back(wrong);
  failing.expected_runs = {.keys = {1, 2, 5, 6, 7, 8}, .ends = {2, 6}};
  failing.read_runs = {.keys = {1, 2, 5, 6, 9, 8}, .ends = {2, 6}};
  f.reports.push_back(failing);
  test_case_report warned;
  warned.test_case = 2;
  warned.passed = warned.passed_independently = true;
  warned.warnings.push_back({.what = warning::kind::numbers_after_run, .line = 9, .run = 0});
  f.reports.push_back(warned);
  f.summary.passed = 2;
  f.summary.passed_independently = 2;
  return f;
}

sample_file passing_file() {
  sample_file f = failing_file();
  f.reports[1].passed = f.reports[1].passed_independently = true;
  f.reports[1].runs.clear();
  f.reports[1].variant.reset();
  f.summary.passed = f.summary.passed_independently = 3;
  return f;
}

sample_file stopped_file() {
  sample_file f;
  f.summary.test_case_file = "tests.txt";
  f.summary.run_file = "missing.txt";
  f.summary.stopped = stop_report{.message = "cannot open \"missing.txt\": no such file",
                                  .file = "missing.txt",
                                  .failure = platform::open_failure::no_such_file};
  return f;
}

std::string printed(report_printer& printer, const output& out, const sample_file& f) {
  printer.file_begun(f.summary);
  for (const test_case_report& r : f.reports) printer.test_case(f.summary, r);
  printer.file_ended(f.summary);
  printer.all_files_ended();
  return out.text();
}

TEST(sentences, text_page_and_graders_agree) {
  for (const sample_file& f : {failing_file(), passing_file(), stopped_file()}) {
    SCOPED_TRACE(f.summary.run_file + (f.summary.stopped ? " stopped" : ""));
    output text_out;
    text_printer text(text_out);
    const std::string report = printed(text, text_out, f);
    output page_out;
    html_printer page(page_out, f.summary.test_case_file);
    const std::string html = printed(page, page_out, f);
    output results_out;
    results_printer results(results_out, results_printer::system::gradescope);
    const std::string json = printed(results, results_out, f);

    output verdict;
    put_verdict(verdict, f.summary);
    EXPECT_NE(std::string::npos, report.find(f.summary.run_file + ": " + verdict.text() + "\n"));
    EXPECT_NE(std::string::npos, html.find("\">" + verdict.text() + "</p>"));
    if (!f.summary.stopped) {
      // The autograder's message names the run file and the verdict (the
      // file's name escaped for JSON).
      EXPECT_NE(std::string::npos, json.find(R"(.txt: )" + verdict.text() + "; independent"));
    }
    for (const test_case_report& r : f.reports) {
      if (r.passed && r.warnings.empty()) continue;
      const std::string number = std::to_string(r.test_case + 1);
      const std::string state(test_case_state(r));
      std::string header = ": test case " + number;
      header.append(state).append("\n");
      EXPECT_NE(std::string::npos, report.find(header));
      EXPECT_NE(std::string::npos, html.find("Test case " + number + escaped(state) + "</h3>"));
      output lines;
      put_test_case_text(lines, f.summary, r);
      EXPECT_NE(std::string::npos, report.find(lines.text()));
      EXPECT_NE(std::string::npos, html.find(escaped(lines.text())));
    }
  }
}

TEST(sentences, ordinals) {
  const std::pair<std::int64_t, std::string_view> rows[] = {
      {1, "first"}, {10, "tenth"}, {11, "11th"},   {12, "12th"},   {13, "13th"},  {21, "21st"},
      {22, "22nd"}, {23, "23rd"},  {101, "101st"}, {111, "111th"}, {112, "112th"}};
  for (const auto& [n, want] : rows) EXPECT_EQ(want, ordinal(n));
}

bool starts_number(std::string_view text) {
  return !text.empty() && (text[0] == '-' || text[0] == '.' || (text[0] >= '0' && text[0] <= '9'));
}

// A coordinate the chart writes outright: an attribute's number, or one of
// the two after a path's M; across (x) or down (y).
struct coordinate {
  double value = 0;
  bool across = false;
  std::string written;
};

std::vector<coordinate> coordinates_of(const std::string& svg) {
  std::vector<coordinate> found;
  for (const std::string_view name : {"x", "y", "cx", "cy", "width", "height"}) {
    std::string key(" ");
    key.append(name).append("=\"");
    for (std::size_t at = svg.find(key); at != std::string::npos; at = svg.find(key, at + 1)) {
      const std::size_t start = at + key.size();
      if (!starts_number(std::string_view(svg).substr(start))) continue;
      const bool across = name == "x" || name == "cx" || name == "width";
      found.push_back({std::stod(svg.substr(start)), across, svg.substr(at, 24)});
    }
  }
  for (std::size_t at = svg.find('M'); at != std::string::npos; at = svg.find('M', at + 1)) {
    if (!starts_number(std::string_view(svg).substr(at + 1))) continue;
    std::size_t used = 0;
    const double x = std::stod(svg.substr(at + 1), &used);
    const std::size_t next = at + 1 + used + 1;  // past the space
    if (!starts_number(std::string_view(svg).substr(next))) continue;
    found.push_back({x, true, svg.substr(at, 24)});
    found.push_back({std::stod(svg.substr(next)), false, svg.substr(at, 24)});
  }
  return found;
}

// Every coordinate the chart writes outright lies within its view box,
// whatever keys the expected and the read runs hold.
TEST(html_chart, stays_within_its_frame) {
  std::mt19937 random(3);  // NOLINT(cert-msc32-c,cert-msc51-cpp): the same runs every run
  for (int round = 0; round < 200; ++round) {
    SCOPED_TRACE(round);
    test_case_report r;
    const auto lay = [&](laid_runs& runs, std::int32_t spread) {
      for (std::size_t run = random() % 6; run > 0; --run) {
        for (std::size_t n = random() % 40; n > 0; --n)
          runs.keys.push_back(static_cast<std::int32_t>(random() % spread) - spread / 4);
        runs.ends.push_back(runs.keys.size());
      }
    };
    lay(r.expected_runs, 1 + static_cast<std::int32_t>(random() % 40000));
    lay(r.read_runs, 1 + static_cast<std::int32_t>(random() % 2000000));
    if (!r.expected_runs.ends.empty()) {
      run_finding first;
      first.run = static_cast<std::int64_t>(random() % r.expected_runs.ends.size());
      first.position = static_cast<std::int64_t>(random() % 5);
      first.found = static_cast<std::int32_t>(random() >> 1U) - (1 << 30);
      r.runs.push_back(first);
    }
    output out;
    put_chart(out, r, "a chart <of> \"runs\"");
    const std::string& svg = out.text();
    ASSERT_TRUE(svg.starts_with("<svg ") && svg.ends_with("</svg>\n"));
    const std::vector<coordinate> found = coordinates_of(svg);
    EXPECT_FALSE(found.empty());
    for (const coordinate& c : found) {
      EXPECT_GE(c.value, 0) << c.written;
      EXPECT_LE(c.value, c.across ? 720 : 250) << c.written;
    }
  }
}

}  // namespace
}  // namespace runcheck::explain
