#include "explain/text_printer.h"

#include <algorithm>
#include <string_view>
#include <vector>

#include "explain/encoding.h"

namespace runcheck::explain {

namespace {

// Items [0, n) around position p, p in brackets: a few on either side,
// "..." where more are left out. A p at or past n is the end of the line.
template <typename put_item>
void put_window(output& out, std::size_t n, std::size_t p, const put_item& put) {
  constexpr std::size_t side = 4;
  const std::size_t first = std::min(n, p > side ? p - side : 0);
  const std::size_t last = std::min(n, p + side + 1);
  if (first > 0) out.put("... ");
  for (std::size_t i = first; i < last; ++i) {
    if (i > first) out.put(' ');
    if (i == p) out.put('[');
    put(i);
    if (i == p) out.put(']');
  }
  if (last < n) out.put(" ...");
  if (p >= n) out.put(first < n ? " [end of line]" : "[end of line]");
}

std::vector<std::string_view> tokens_of(std::string_view text) {
  std::vector<std::string_view> tokens;
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t end = std::min(text.find(' ', i), text.size());
    if (end > i) tokens.push_back(text.substr(i, end - i));
    i = end + 1;
  }
  return tokens;
}

void put_token(output& out, std::string_view token) {
  constexpr std::size_t longest = 24;
  put_escaped(out, token.substr(0, longest));
  if (token.size() > longest) out.put("...");
}

void put_read(output& out, const place& at, std::size_t position) {
  const std::vector<std::string_view> tokens = tokens_of(at.text);
  put_window(out, tokens.size(), position, [&](std::size_t i) { put_token(out, tokens[i]); });
}

void put_where(output& out, const place& at) {
  if (at.line > 0) {
    out.put("  line ").put_int(at.line).put(": ");
  } else {
    out.put("  end of file: ");
  }
}

void put_hints(output& out, const std::vector<hint>& hints) {
  for (const hint h : hints) {
    switch (h) {
      case hint::file_ends_early:
        out.put("    hint: the run file ends early; is it complete?\n");
        break;
      case hint::count_not_alone:
        out.put("    hint: a count stands alone on its line, and this line holds more than one ");
        out.put("number\n");
        break;
      case hint::tabs:
        out.put("    hint: only spaces separate keys, and this line holds tabs\n");
        break;
      case hint::commas:
        out.put("    hint: only spaces separate keys, and this line holds commas\n");
        break;
    }
  }
}

void put_count(output& out, const count_finding& count) {
  put_where(out, count.at);
  out.put("the number of runs is wrong: expected ")
      .put_int(count.expected)
      .put(", found ")
      .put_int(count.found)
      .put("\n");
  if (count.at.line > 0) {
    out.put("    read:     ");
    put_read(out, count.at, 0);
    out.put("\n");
  }
  put_hints(out, count.hints);
}

void put_run(output& out, const run_finding& run) {
  put_where(out, run.at);
  out.put("run ").put_int(run.run).put(" is wrong at position ").put_int(run.position);
  out.put(": expected ").put_int(run.expected);
  if (run.found) {
    out.put(", found ").put_int(*run.found);
  } else {
    out.put(run.at.line > 0 ? ", but the line ends before it" : ", but the file has ended");
  }
  out.put("\n    expected: ");
  const auto p = static_cast<std::size_t>(run.position);
  put_window(out, run.expected_run.size(), p,
             [&](std::size_t i) { out.put_int(run.expected_run[i]); });
  out.put("\n    read:     ");
  if (run.at.line > 0) {
    put_read(out, run.at, p);
  } else {
    out.put("nothing");
  }
  out.put("\n");
  put_hints(out, run.hints);
}

void put_shift(output& out, const test_case_report& report, const shift& shifted) {
  out.put("  note: ");
  if (shifted.empty_first_run) {
    out.put("its first run is empty, so its count read skipped the empty run lines and ");
  }
  out.put("the test cases after it are read out of step (look at this one first): test case ")
      .put_int(std::int64_t{report.test_case} + 2)
      .put("'s count was read ");
  if (shifted.next_count_line > 0) {
    out.put("from line ").put_int(shifted.next_count_line).put("\n");
  } else {
    out.put("at the end of the file\n");
  }
}

}  // namespace

void text_printer::file_begun(const file_summary& summary) {
  failure_shown_ = false;
  if (!summary.stopped) return;
  const stop_report& stopped = *summary.stopped;
  out_.put(summary.run_file).put(": stopped: ");
  if (stopped.line > 0) out_.put(stopped.file).put(" line ").put_int(stopped.line).put(": ");
  out_.put(stopped.message).put("\n");
}

void text_printer::test_case(const file_summary& summary, const test_case_report& report) {
  if (report.passed && !report.shifted) return;
  out_.put(summary.run_file).put(": test case ").put_int(std::int64_t{report.test_case} + 1);
  out_.put(report.passed ? " passed, but its first run is empty" : " failed");
  out_.put(report.out_of_step ? " (read out of step)\n" : "\n");
  if (!report.passed && !failure_shown_ && summary.looks_like_utf16) {
    out_.put("  hint: the run file looks like UTF-16 (a byte order mark, or NUL bytes between ");
    out_.put("the characters); write it as plain ASCII text\n");
  }
  failure_shown_ = failure_shown_ || !report.passed;
  if (report.count) put_count(out_, *report.count);
  for (const run_finding& run : report.runs) put_run(out_, run);
  if (report.more_runs > 0) {
    out_.put("  ... and ").put_int(report.more_runs).put(" more wrong runs\n");
  }
  if (report.shifted) put_shift(out_, report, *report.shifted);
}

void text_printer::file_ended(const file_summary& summary) {
  summaries_.put(summary.run_file).put(": ");
  if (summary.stopped) {
    summaries_.put("STOPPED, the check could not run\n");
    return;
  }
  summaries_.put(summary.status() == 0 ? "PASS, " : "FAIL, ")
      .put_int(summary.passed)
      .put(" of ")
      .put_int(summary.total)
      .put(" test cases passed\n");
}

void text_printer::print_summaries() { out_.put(summaries_.text()); }

}  // namespace runcheck::explain
