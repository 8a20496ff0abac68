#include "explain/printers/html_printer.h"

#include <algorithm>
#include <cstddef>
#include <string_view>

#include "explain/printers/html_chart.h"
#include "explain/printers/sentences.h"
#include "explain/report/encoding.h"
#include "explain/report/submission.h"

namespace runcheck::explain {

namespace {

// The page's style. The Content-Security-Policy allows this one style
// element by its hash: whoever changes it puts the new hash in `policy`
// (the browser test fails on a style refused):
//   python3 -c 'import base64,hashlib,re,sys; s=open(sys.argv[1]).read();
//     print(base64.b64encode(hashlib.sha256(re.search(r"<style>(.*?)</style>",
//     s, re.S)[1].encode()).digest()).decode())' report.html
constexpr std::string_view style =
    "body{font:15px/1.45 system-ui,sans-serif;margin:0;color:#1a1a1a;background:#fff}"
    "main{display:flex;flex-direction:column;gap:1em;max-width:62em;margin:auto;padding:1em}"
    "header{order:-2}.summary{order:-1}h1{font-size:1.4em;margin:0}"
    "h2{font-size:1.15em;margin:0}h3{font-size:1em;margin:.2em 0}"
    ".file{display:flex;flex-direction:column;gap:.5em;border-top:2px solid #888;padding-top:.5em}"
    ".file>h2{order:-2}.file>.verdict{order:-1}"
    ".verdict{font-weight:bold;margin:0}.pass{color:#075e2c}.fail,.stopped{color:#9b1c1c}"
    "pre{background:#f6f6f6;padding:.5em;overflow-x:auto;margin:0;font-size:13px}"
    "article{border:1px solid #ccc;border-radius:4px;padding:.5em}"
    ".figure{display:flex;flex-wrap:wrap;gap:1em;align-items:flex-start}"
    "svg.chart{width:100%;max-width:720px;height:auto;border:1px solid #ddd}"
    ".buffer ol{display:flex;gap:4px;list-style:none;padding:0;margin:.3em 0}"
    ".buffer li{border:2px solid #555;min-width:3.2em;text-align:center;padding:.2em}"
    ".buffer li b{display:block;font-size:1.2em}.buffer li small{display:block;font-size:.75em}"
    ".buffer li.frozen{background:repeating-linear-gradient(45deg,#dde8f5,#dde8f5 4px,#fff 4px,"
    "#fff 8px);border-style:dashed}"
    ".buffer li.empty{color:#777;border-color:#bbb}.buffer li.next{outline:3px solid #075e2c}"
    ".buffer li.found{outline:3px solid #9b1c1c}.buffer p{margin:0}"
    ".variant{margin:0;font-weight:bold}"
    "table{border-collapse:collapse}td,th{border:1px solid #ccc;padding:1px 4px}"
    ".summary{overflow-x:auto}.summary td{text-align:center}"
    ".summary td.f,.summary td.o,.summary td.fi,.summary td.oi{background:#f9d6d6}"
    ".summary td.fi:after,.summary td.oi:after{content:\"\\b0\"}.summary td.w{background:#fff1c2}"
    ".summary td.m{background:#eee}.summary th{font-weight:normal;text-align:left}"
    "table.runs td{text-align:left;font-family:monospace;white-space:pre-wrap;word-break:break-all}"
    "mark{background:#f9d6d6;outline:1px solid #9b1c1c}";

// Marks of the summary table, as UTF-8 bytes whatever the compiler's
// execution character set: a check mark, a cross, a degree sign.
constexpr std::string_view check_mark = "\xE2\x9C\x93";
constexpr std::string_view cross = "\xE2\x9C\x97";
constexpr std::string_view degree = "\xC2\xB0";

constexpr std::string_view policy =
    "default-src 'none'; style-src 'sha256-paJAcSZWrU8Fk7TBdrDH2hXnAifOzP1xZykuYpN+AwA='; base-uri "
    "'none'; form-action 'none'";

// Bytes from the files, or words that hold them, as HTML text or an
// attribute's value: escaped as for XML, which HTML reads alike.
void put_html(output& out, std::string_view text) { put_xml_escaped(out, text); }

// Words that end a sentence of their own: the first letter a capital, a
// full stop after.
void put_sentence(output& out, std::string_view words) {
  if (words.empty()) return;
  out.put(static_cast<char>(words[0] >= 'a' && words[0] <= 'z' ? words[0] - 'a' + 'A' : words[0]));
  out.put(words.substr(1)).put('.');
}

void put_id(output& out, std::int64_t file, std::int64_t test_case) {
  out.put('f').put_int(file).put('-').put_int(test_case);
}

// The buffer at the step that decides the first wrong key.
void put_buffer(output& out, const explanation& e) {
  out.put(R"(<div class="buffer"><p>The buffer before step )").put_int(e.step).put(":</p><ol>");
  bool next_marked = false;
  bool found_marked = false;
  for (const explanation::slot& s : e.slots) {
    if (s.what == explanation::slot::state::empty) {
      out.put(R"(<li class="empty"><b>-</b><small>empty</small></li>)");
      continue;
    }
    const bool frozen = s.what == explanation::slot::state::frozen;
    const bool next =
        !frozen && !next_marked && s.key == e.expected && e.why != explanation::rule::run_ends;
    const bool found = !found_marked && !next && e.found && s.key == *e.found &&
                       e.found_at != explanation::place::not_a_key;
    next_marked = next_marked || next;
    found_marked = found_marked || found;
    out.put(R"(<li class=")");
    out.put(frozen ? "frozen" : "candidate");
    if (next) out.put(" next");
    if (found) out.put(" found");
    out.put(R"("><b>)").put_int(s.key).put("</b><small>");
    out.put(frozen ? "frozen" : "not frozen");
    if (next) out.put(", next");
    if (found) out.put(", found");
    out.put("</small></li>");
  }
  out.put("</ol><p>");
  if (e.last_key) {
    out.put("Last key written: ").put_int(*e.last_key).put(".");
  } else {
    out.put("The run has no key yet.");
  }
  out.put("</p></div>\n");
}

// The runs key by key: expected beside read, the first difference marked.
void put_runs_table(output& out, const test_case_report& report) {
  const laid_runs& expected = report.expected_runs;
  const laid_runs& read = report.read_runs;
  out.put(R"(<details><summary>The runs, key by key</summary><table class="runs">)");
  out.put("<tr><th>run</th><th>expected</th><th>read</th></tr>\n");
  for (std::size_t run = 0; run < expected.ends.size(); ++run) {
    const std::size_t from = run_start(expected, run);
    out.put("<tr><td>").put_int(static_cast<std::int64_t>(run)).put("</td><td>");
    for (std::size_t i = from; i < expected.ends[run]; ++i) {
      if (i > from) out.put(' ');
      out.put_int(expected.keys[i]);
    }
    out.put("</td><td>");
    if (run < read.ends.size()) {
      const std::size_t read_from = run_start(read, run);
      bool marked = false;
      for (std::size_t i = read_from; i < read.ends[run]; ++i) {
        const std::size_t at = i - read_from;
        const bool differs = !marked && (from + at >= expected.ends[run] ||
                                         expected.keys[from + at] != read.keys[i]);
        if (i > read_from) out.put(' ');
        if (differs) out.put("<mark>");
        out.put_int(read.keys[i]);
        if (differs) out.put("</mark>");
        marked = marked || differs;
      }
      if (!marked && read.ends[run] - read_from < expected.ends[run] - from)
        out.put(" <mark>(the line ends)</mark>");
    } else {
      out.put(report.read_runs_lost ? "(too many lines to keep)" : "(no line read as this run)");
    }
    out.put("</td></tr>\n");
  }
  out.put("</table></details>\n");
}

}  // namespace

void html_printer::begin_page() {
  begun_ = true;
  out_.put("<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n");
  out_.put(R"(<meta http-equiv="Content-Security-Policy" content=")").put(policy).put("\">\n");
  out_.put("<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n");
  out_.put("<title>runcheck-explain report</title>\n<style>").put(style);
  out_.put("</style>\n</head>\n<body>\n<main>\n<header><h1>runcheck-explain report</h1>");
  out_.put("<p>Test cases from <code>");
  put_html(out_, test_case_file_);
  out_.put("</code>.</p></header>\n");
}

void html_printer::file_begun(const file_summary& summary) {
  if (!begun_) begin_page();
  ++files_;
  failing_ = file_drawn_ = listed_ = not_shown_ = warned_ = past_columns_failed_ = 0;
  hints_shown_ = false;
  cells_.clear();
  columns_ = std::max(columns_, std::min(summary.total, max_table_columns));
  out_.put(R"(<section class="file" id="f)").put_int(files_).put(R"("><h2>)");
  put_html(out_, summary.run_file);
  out_.put("</h2>\n");
  scratch_.clear();
  if (summary.stopped) {
    put_stopped_text(scratch_, summary);
  } else {
    for (const warning& w : summary.warnings) put_warning(scratch_, summary, w, "");
  }
  if (!scratch_.text().empty()) {
    out_.put("<pre>");
    put_html(out_, scratch_.text());
    out_.put("</pre>\n");
  }
}

void html_printer::test_case(const file_summary& summary, const test_case_report& report) {
  const bool noted = !report.passed || report.shifted || !report.warnings.empty();
  const std::int64_t number = std::int64_t{report.test_case} + 1;
  if (!report.passed) ++failing_;
  if (!report.passed && report.test_case >= max_table_columns) ++past_columns_failed_;
  if (!report.warnings.empty()) ++warned_;

  // What the page shows of it: drawn in full, listed with its first lines,
  // or counted. Drawn: the chart where the report holds the runs (not for a
  // student, who does not see the expected runs), the buffer where it has it.
  const bool charted = !report.expected_runs.keys.empty();
  const bool drawable = !report.passed && (charted || report.why);
  const bool drawn = drawable && file_drawn_ < max_drawn_per_file && drawn_ < max_drawn_per_page;
  const bool listed = noted && !drawn && listed_ < max_listed_per_file;
  if (noted && !drawn && !listed) ++not_shown_;

  if (report.test_case < max_table_columns) {
    // Kept short, as a class's table has a cell per student and test case:
    // a class (w, f, o; i where the test case passes independently), the
    // mark, a link where the page shows the test case.
    const bool in_step = report.step == step_state::in_step;
    if (noted) {
      cells_.put("<td class=").put(report.passed ? "w" : (in_step ? "f" : "o"));
      if (!report.passed && report.passed_independently) cells_.put('i');
      cells_.put('>');
    } else {
      cells_.put("<td>");
    }
    const std::string_view mark = report.passed ? check_mark : (in_step ? cross : "~");
    if (drawn || listed) {
      cells_.put("<a href=#");
      put_id(cells_, files_, number);
      cells_.put('>').put(mark).put("</a>");
    } else {
      cells_.put(mark);
    }
  }
  if (!drawn && !listed) return;

  out_.put(R"(<article id=")");
  put_id(out_, files_, number);
  out_.put(R"("><h3>Test case )").put_int(number).put(test_case_state(report)).put("</h3>\n");
  if (report.variant) {
    out_.put(R"(<p class="variant">Recognised: )").put(these_are_the_runs_of);
    put_html(out_, report.variant->description);
    out_.put(".</p>\n");
  }
  if (drawn) {
    ++file_drawn_;
    ++drawn_;
    scratch_.clear();
    scratch_.put("Test case ").put_int(number).put(": the expected runs, key against position");
    out_.put(R"(<div class="figure">)");
    if (charted) put_chart(out_, report, scratch_.text());
    if (report.why) put_buffer(out_, *report.why);
    out_.put("</div>\n");
    if (charted) {
      out_.put("<p class=\"legend\">Each run has its colour and mark shape; a cross marks a");
      out_.put(" key read where it differs from the expected key; the ring marks the first");
      out_.put(" wrong key.</p>\n");
    }
  } else {
    ++listed_;
  }
  scratch_.clear();
  if (!report.passed && !hints_shown_) {
    put_run_file_hints_text(scratch_, summary);
    hints_shown_ = true;
  }
  put_test_case_text(scratch_, summary, report);
  // A test case listed shows its first lines: its first findings.
  std::string_view text = scratch_.text();
  std::int64_t cut_lines = 0;
  if (!drawn) {
    std::size_t end = 0;
    for (std::int64_t n = 0; n < max_listed_lines && end < text.size(); ++n) {
      end = std::min(text.find('\n', end), text.size() - 1) + 1;
    }
    cut_lines = std::count(text.begin() + static_cast<std::ptrdiff_t>(end), text.end(), '\n');
    text = text.substr(0, end);
  }
  out_.put("<pre>");
  put_html(out_, text);
  if (cut_lines > 0) {
    out_.put("... and ").put_int(cut_lines);
    out_.put(" more lines, which runcheck-explain without --format html prints\n");
  }
  out_.put("</pre>\n");
  if (drawn && charted) put_runs_table(out_, report);
  out_.put("</article>\n");
}

void html_printer::file_ended(const file_summary& summary) {
  scratch_.clear();
  put_repeated_hints_text(scratch_, summary);
  if (!scratch_.text().empty()) {
    out_.put("<pre>");
    put_html(out_, scratch_.text());
    out_.put("</pre>\n");
  }
  if (not_shown_ > 0) {
    out_.put(R"(<p class="more">)").put_int(not_shown_);
    out_.put(not_shown_ == 1 ? " more test case has" : " more test cases have");
    out_.put(" findings not shown on this page; runcheck-explain without --format html lists");
    out_.put(" them all.</p>\n");
  }
  if (summary.unexplained > 0) {
    scratch_.clear();
    put_unexplained(scratch_, summary);
    out_.put(R"(<p class="more">)");
    put_sentence(out_, scratch_.text());
    out_.put("</p>\n");
  }
  if (summary.variant && failing_ > 1) {
    out_.put(R"(<p class="variant">Recognised: )").put(every_failing_test_case_holds).put(' ');
    put_html(out_, summary.variant->description);
    out_.put(".</p>\n");
  }
  // The verdict, shown under the file's name, and its row of the summary.
  std::string_view verdict_class = "stopped";
  if (!summary.stopped) verdict_class = summary.status() == 0 ? "pass" : "fail";
  out_.put(R"(<p class="verdict )").put(verdict_class).put(R"(">)");
  put_verdict(out_, summary);
  out_.put("</p>\n</section>\n");

  table_.put(R"(<tr><th scope="row"><a href="#f)").put_int(files_).put(R"(">)");
  put_html(table_, summary.run_file);
  table_.put(R"(</a></th><td class=")").put(verdict_class).put(R"(">)");
  if (summary.stopped) {
    // As a class list says it: a student without a run file is missing.
    const submission_verdict verdict = verdict_of(summary);
    std::string_view why = "the check could not run";
    if (verdict == submission_verdict::missing) why = "no run file";
    if (verdict == submission_verdict::unreadable) why = "the run file cannot be read";
    if (verdict == submission_verdict::several) why = "two or more run files";
    for (const char c : name_of(verdict))
      table_.put(c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c == '_' ? ' ' : c);
    table_.put("</td><td></td><td></td><td></td><td></td>");
    table_.put(R"(<td class="m" colspan=")").put_int(std::max<std::int32_t>(columns_, 1));
    table_.put(R"(">)").put(why).put("</td></tr>\n");
    return;
  }
  table_.put(summary.status() == 0 ? "PASS" : "FAIL").put("</td><td>").put_int(summary.passed);
  table_.put("</td><td>").put_int(summary.total).put("</td><td>");
  table_.put_int(summary.passed_independently).put("</td><td>");
  table_.put_int(warned_ + static_cast<std::int64_t>(summary.warnings.size())).put("</td>");
  table_.put(cells_.text());
  if (summary.total > max_table_columns) {
    table_.put(R"(<td class="m">)").put_int(past_columns_failed_).put(" of ");
    table_.put_int(std::int64_t{summary.total} - max_table_columns).put(" more failed</td>");
  }
  table_.put("</tr>\n");
}

void html_printer::all_files_ended() {
  if (!begun_) begin_page();
  out_.put("<section class=\"summary\" id=\"summary\"><h2>Summary</h2>\n");
  out_.put("<table><tr><th>run file</th><th>verdict</th><th>passed</th><th>of</th>");
  out_.put("<th>independently</th><th>warned</th>");
  for (std::int32_t t = 1; t <= columns_; ++t) out_.put("<th>").put_int(t).put("</th>");
  out_.put("</tr>\n").put(table_.text()).put("</table>\n");
  out_.put("<p>Test cases: ").put(check_mark).put(" passed, ").put(cross);
  out_.put(" failed, ~ failed read out of step; a link leads to its findings; ").put(degree);
  out_.put(" it passes under the independent score. Passed and ");
  out_.put("of are runcheck's counts; independently, the test cases that pass where the file ");
  out_.put("is read back into step after a slip (the independent score).</p></section>\n");
  out_.put("</main>\n</body>\n</html>\n");
}

}  // namespace runcheck::explain
