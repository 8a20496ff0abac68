#include "explain/printers/sentences.h"

#include <algorithm>
#include <array>
#include <string_view>
#include <vector>

#include "explain/report/encoding.h"

namespace runcheck::explain {

namespace {

// "run 1 (the second run)": runs count from 0 in runcheck's messages.
void put_run(output& out, std::int64_t run) {
  out.put("run ").put_int(run).put(" (the ").put(ordinal(run + 1)).put(" run)");
}

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

// A token of the line, escaped as put_escaped does and its brackets too, so
// that a bracket shown is always the mark of the position, never the file's.
void put_token(output& out, std::string_view token) {
  constexpr std::size_t longest = 24;
  // A number, as most tokens are: nothing to escape or cut.
  if (token.size() <= longest && std::all_of(token.begin(), token.end(), [](char c) {
        return (c >= '0' && c <= '9') || c == '-';
      })) {
    out.put(token);
    return;
  }
  std::string_view shown = token.substr(0, longest);
  for (std::size_t bracket = shown.find_first_of("[]"); bracket != std::string_view::npos;
       bracket = shown.find_first_of("[]")) {
    put_escaped(out, shown.substr(0, bracket));
    out.put(shown[bracket] == '[' ? "\\x5B" : "\\x5D");
    shown.remove_prefix(bracket + 1);
  }
  put_escaped(out, shown);
  if (token.size() > longest) out.put("...");
}

// The line's tokens, as a key-line read cuts them (at spaces only), around
// `position` as put_window shows them; read once, up to the last shown.
void put_read(output& out, const file_place& at, std::size_t position) {
  constexpr std::size_t side = 4;
  const std::size_t first = position > side ? position - side : 0;
  const std::size_t last = position + side + 1;
  std::array<std::string_view, 2 * side + 1> shown;
  std::size_t n = 0;  // tokens seen, up to one past `last`
  const std::string_view text = at.text;
  for (std::size_t i = 0; i < text.size() && n <= last;) {
    const std::size_t end = std::min(text.find(' ', i), text.size());
    if (end > i) {
      if (n >= first && n < last) shown[n - first] = text.substr(i, end - i);
      ++n;
    }
    i = end + 1;
  }
  // n is exact when it stops short of `last`; past it only "more" counts.
  const std::size_t start = std::min(n, first);
  put_window(out, n, position, [&](std::size_t i) { put_token(out, shown[i - start]); });
}

void put_where(output& out, const file_place& at) {
  if (at.line > 0) {
    out.put("  line ").put_int(at.line).put(": ");
  } else {
    out.put("  end of file: ");
  }
}

void put_hints(output& out, const std::vector<hint>& hints) {
  for (const hint& h : hints) {
    out.put("    hint: ");
    switch (h.what) {
      case hint::kind::file_ends_early:
        out.put("the run file ends early; is it complete?\n");
        break;
      case hint::kind::text_for_count:
        out.put("text stands where a count is due; the run file holds numbers only, a count\n");
        out.put("          alone on its line, then one line per run\n");
        break;
      case hint::kind::count_not_alone:
        out.put("a count stands alone on its line, and this line holds more than one number\n");
        break;
      case hint::kind::tabs:
        out.put("only spaces separate keys, and this line holds tabs\n");
        break;
      case hint::kind::commas:
        out.put("only spaces separate keys, and this line holds commas\n");
        break;
      case hint::kind::other_bytes:
        out.put("this line holds bytes that are not plain ASCII (shown as \\xNN); only\n");
        out.put("          spaces separate keys, and digits make them\n");
        break;
      case hint::kind::cr_line_ends:
        out.put("this line holds carriage returns without line feeds; end each line with a\n");
        out.put("          line feed (or CR LF)\n");
        break;
      case hint::kind::text_in_run_line:
        out.put('"');
        put_escaped(out, h.text.substr(0, 24));
        if (h.text.size() > 24) out.put("...");
        out.put("\" is text, not a key: the check reads a token as the number its\n");
        out.put("          leading digits make, 0 without any; a run line holds its keys alone\n");
        break;
      case hint::kind::blank_run_line:
        out.put("this line is blank, and a blank line reads as the single number 0; a run\n");
        out.put("          with keys is due here (is a line break doubled?)\n");
        break;
      case hint::kind::long_line:
        out.put("line ").put_int(h.line).put(" is 1999 characters or longer, and the check reads ");
        out.put("at most\n          1999 at a time: the rest is read as whatever comes next\n");
        break;
      case hint::kind::runs_on_one_line:
        out.put("line ").put_int(h.line).put(" holds ").put_int(h.runs).put(" runs, from ");
        put_run(out, h.run);
        out.put(" on,\n          written on one line; each run needs a line of its own\n");
        break;
      case hint::kind::run_split:
        out.put("line ").put_int(h.line).put(" and the next line hold ");
        put_run(out, h.run);
        out.put(" between them:\n          one run written over two lines\n");
        break;
      case hint::kind::run_missing:
        out.put("is ");
        put_run(out, h.run);
        out.put(" missing? The lines read hold the runs\n          without it\n");
        break;
      case hint::kind::empty_last_run:
        out.put("line ").put_int(h.line).put(
            ", after the last run, is an empty run that the count ");
        out.put("counts;\n          is an empty run written at the end?\n");
        break;
      case hint::kind::key_per_line:
        out.put("from line ").put_int(h.line).put(" on, each line holds one key of the runs; ");
        out.put("a run's keys\n          go on one line, separated by spaces\n");
        break;
    }
  }
}

void put_count(output& out, const count_finding& count, bool hidden) {
  if (count.at.line == 0) {
    out.put("  end of file: the run file has ended where a number of runs is due\n");
  } else {
    put_where(out, count.at);
    if (count.holds_text) {
      out.put("the number of runs cannot be read: ");
      if (!hidden) out.put("expected ").put_int(count.expected).put(", ");
      out.put("found text, which counts as 0");
    } else {
      out.put("the number of runs is wrong: ");
      if (!hidden) out.put("expected ").put_int(count.expected).put(", ");
      out.put("found ").put_int(count.found);
    }
    out.put("\n    read:     ");
    put_read(out, count.at, 0);
    out.put("\n");
  }
  put_hints(out, count.hints);
}

void put_slots(output& out, const std::vector<explanation::slot>& slots) {
  bool first = true;
  for (const explanation::slot& s : slots) {
    if (!first) out.put(' ');
    first = false;
    if (s.what == explanation::slot::state::empty) {
      out.put('-');
      continue;
    }
    out.put_int(s.key);
    if (s.what == explanation::slot::state::frozen) out.put('*');
  }
}

// Three lines: the buffer before the deciding pass, the rule, and where the key
// found stands.
void put_explanation(output& out, const explanation& e) {
  using state = explanation::slot::state;
  const auto has = [&](state st) {
    return std::any_of(e.slots.begin(), e.slots.end(),
                       [&](const explanation::slot& s) { return s.what == st; });
  };
  out.put("    why: before step ").put_int(e.step).put(" the buffer holds ");
  put_slots(out, e.slots);
  if (has(state::frozen) || has(state::empty)) {
    out.put(" (");
    if (has(state::frozen)) out.put(has(state::empty) ? "* frozen, " : "* frozen");
    if (has(state::empty)) out.put("- empty");
    out.put(")");
  }
  if (e.last_key) {
    out.put(", and the last key written is ").put_int(*e.last_key);
  } else {
    out.put(", and the run has no key yet");
  }
  out.put(".\n         ");
  switch (e.why) {
    case explanation::rule::smallest_not_frozen:
      out.put("The smallest key not frozen is ").put_int(e.expected).put(", so it comes next.\n");
      break;
    case explanation::rule::run_goes_on:
      out.put("The smallest key not frozen is ").put_int(e.expected);
      out.put(", so the run goes on with it:\n");
      out.put("         a run ends only when every key left is frozen.\n");
      break;
    case explanation::rule::run_ends:
      out.put("Every key left is frozen, so the run ends there; they melt, and ");
      put_run(out, e.run);
      out.put("\n         begins with the smallest, ").put_int(e.expected).put(".\n");
      break;
  }
  if (!e.found || e.found_at == explanation::place::none) return;
  const std::int32_t found = *e.found;
  out.put("         ");
  if (e.found_at == explanation::place::written) {
    if (e.found_copies == 1) {
      out.put_int(found).put(" was already written, to ");
    } else {
      out.put(e.found_copies == 2 ? "Both" : "All ");
      if (e.found_copies > 2) out.put_int(e.found_copies);
      out.put(" keys ").put_int(found).put(" were already written, the last to ");
    }
    put_run(out, e.found_run);
    out.put(".\n");
    return;
  }
  // Copies of the key found written before: the one found is the next.
  if (e.found_written > 0) {
    out.put("The first ");
    if (e.found_written == 1) {
      out.put_int(found).put(" was already written, to ");
    } else {
      out.put_int(e.found_written).put(" keys ").put_int(found);
      out.put(" were already written, the last to ");
    }
    put_run(out, e.found_run);
    out.put(";\n         the ").put(ordinal(std::int64_t{e.found_written} + 1));
  } else {
    out.put_int(found);
  }
  switch (e.found_at) {
    case explanation::place::none:
    case explanation::place::written:
      break;
    case explanation::place::frozen:
      if (e.why == explanation::rule::run_ends) {
        out.put(" is larger, so it comes later");
      } else if (e.last_key) {
        out.put(" is frozen, because it is smaller than ").put_int(*e.last_key);
      } else {
        out.put(" is frozen, because keys below -1 never reach a run");
      }
      break;
    case explanation::place::in_buffer:
      out.put(" is larger, so it comes later");
      break;
    case explanation::place::never_chosen:
      out.put(" is never chosen: keys of 32768 or more reach no run");
      break;
    case explanation::place::to_be_read:
      out.put(" has not been read into the buffer yet");
      break;
    case explanation::place::not_a_key:
      out.put(" is not one of the test case's keys");
      break;
  }
  out.put(".\n");
}

void put_wrong_run(output& out, const run_finding& run, bool hidden) {
  put_where(out, run.at);
  put_run(out, run.run);
  out.put(" is wrong at the ").put(ordinal(run.position + 1)).put(" key");
  if (hidden) {
    out.put(": ");
    if (run.found) {
      out.put("found ").put_int(*run.found);
    } else {
      out.put(run.at.line > 0 ? "the line ends before it" : "the file has ended");
    }
  } else {
    out.put(": expected ").put_int(run.expected);
    if (run.found) {
      out.put(", found ").put_int(*run.found);
    } else {
      out.put(run.at.line > 0 ? ", but the line ends before it" : ", but the file has ended");
    }
  }
  const auto p = static_cast<std::size_t>(run.position);
  if (run.expected_run) {
    const std::vector<std::int32_t>& keys = *run.expected_run;
    out.put("\n    expected: ");
    put_window(out, keys.size(), p, [&](std::size_t i) { out.put_int(keys[i]); });
  }
  out.put("\n    read:     ");
  if (run.at.line > 0) {
    put_read(out, run.at, p);
  } else {
    out.put("nothing");
  }
  out.put("\n");
  put_hints(out, run.hints);
}

void put_shift(output& out, const test_case_report& report, const shift& shifted,
               std::int32_t found, std::int32_t expected, bool holds_text) {
  out.put(shifted.may_be ? "  note: the test cases after it may be read out of step"
                         : "  note: the test cases after it are read out of step");
  out.put(" (look at this one first):\n");
  out.put("        ");
  switch (shifted.why) {
    case shift::cause::count_too_large:
    case shift::cause::count_too_small:
      if (holds_text) {
        out.put("its count cannot be read: the line holds text");
        break;
      }
      out.put("its count says ").put_int(found).put(found == 1 ? " run" : " runs");
      if (report.listing_hidden) {
        out.put(", not the number it has");
      } else {
        out.put(" where it has ").put_int(expected);
      }
      if (shifted.why == shift::cause::count_too_large && shifted.line > 0)
        out.put(", so line ").put_int(shifted.line).put(" was read as one of its runs");
      break;
    case shift::cause::empty_first_run:
      out.put("its first run is empty, so its count read skipped the empty run lines\n");
      out.put("        after line ").put_int(shifted.line);
      break;
    case shift::cause::line_in_pieces:
      out.put("line ").put_int(shifted.line).put(" was read in pieces");
      break;
    case shift::cause::lines_taken_as_runs:
      out.put("the lines read as its runs are not all its runs");
      break;
  }
  out.put(",\n        and test case ").put_int(std::int64_t{report.test_case} + 2);
  out.put("'s count was read ");
  if (shifted.next_count_line > 0) {
    out.put("from line ").put_int(shifted.next_count_line).put("\n");
  } else {
    out.put("at the end of the file\n");
  }
}

}  // namespace

void put_file_hints(output& out, const std::vector<file_hint>& hints, std::string_view file,
                    std::string_view indent) {
  for (const file_hint h : hints) {
    out.put(indent).put("hint: ");
    switch (h) {
      case file_hint::utf16:
        out.put(file).put(" looks like UTF-16 (a byte order mark, or NUL bytes\n");
        out.put(indent).put("      between the characters); write it as plain ASCII text\n");
        break;
      case file_hint::cr_line_ends:
        out.put(file).put("'s lines end with a carriage return alone; end them\n");
        out.put(indent).put("      with a line feed (or CR LF)\n");
        break;
      case file_hint::empty:
        out.put(file).put(" is empty\n");
        break;
      case file_hint::looks_like_run_file:
        out.put(file).put(" looks like a run file: its second line holds several\n");
        out.put(indent).put(
            "      numbers, where a test-case file has the number of keys alone;\n");
        out.put(indent).put(
            "      name the test-case file first: runcheck-explain TEST_CASE_FILE RUN_FILE\n");
        break;
      case file_hint::same_file:
        out.put(file).put(" is named as both the test-case file and the run file\n");
        break;
      case file_hint::test_case_file:
        out.put(file).put(" begins as the test-case file does: it holds test\n");
        out.put(indent).put(
            "      cases, not runs; is the test-case file named or written in its place?\n");
        break;
    }
  }
}

namespace {

// What a hint is about, as a noun: "tabs".
std::string_view hint_subject(hint::kind k) {
  switch (k) {
    case hint::kind::file_ends_early:
      return "a file that ends early";
    case hint::kind::text_for_count:
      return "text where a count is due";
    case hint::kind::count_not_alone:
      return "a count not alone on its line";
    case hint::kind::tabs:
      return "tabs";
    case hint::kind::commas:
      return "commas";
    case hint::kind::other_bytes:
      return "bytes that are not plain ASCII";
    case hint::kind::cr_line_ends:
      return "carriage returns without line feeds";
    case hint::kind::text_in_run_line:
      return "text in a run line";
    case hint::kind::blank_run_line:
      return "a blank line where a run is due";
    case hint::kind::long_line:
      return "a line of 1999 characters or more";
    case hint::kind::runs_on_one_line:
      return "runs written on one line";
    case hint::kind::run_split:
      return "a run written over two lines";
    case hint::kind::run_missing:
      return "a missing run";
    case hint::kind::empty_last_run:
      return "an empty run after the last";
    case hint::kind::key_per_line:
      return "one key per line";
  }
  return {};
}

}  // namespace

void put_warning(output& out, const file_summary& summary, const warning& w,
                 std::string_view lead) {
  out.put(lead).put("warning: ");
  switch (w.what) {
    case warning::kind::numbers_after_run:
      out.put("line ").put_int(w.line).put(": numbers after the last key of ");
      put_run(out, w.run);
      out.put(",\n           which the check reads and does not compare\n");
      break;
    case warning::kind::keys_out_of_range:
      out.put("the test case has keys outside -1..32767, which reach no run\n");
      break;
    case warning::kind::budget_spent:
      out.put("the test case's runs stop where the 500 passes ran out, keys left\n");
      out.put("           unwritten; a program that writes every key fails it\n");
      break;
    case warning::kind::text_after_run_file:
      out.put("line ").put_int(w.line).put(": text after the last test case, which the check ");
      out.put("does not read\n");
      break;
    case warning::kind::text_after_test_case_file:
      out.put(summary.test_case_file).put(" line ").put_int(w.line);
      out.put(": text after the last test case, which is never read\n");
      break;
    case warning::kind::no_test_cases:
      out.put(summary.test_case_file).put(" holds no test case, so every run file passes it\n");
      break;
  }
}

std::string ordinal(std::int64_t n) {
  constexpr std::string_view words[] = {"first", "second",  "third",  "fourth", "fifth",
                                        "sixth", "seventh", "eighth", "ninth",  "tenth"};
  if (n >= 1 && n <= 10) return std::string(words[n - 1]);
  const std::int64_t tens = n % 100;
  const std::int64_t ones = n % 10;
  const char* suffix = "th";
  if (tens < 11 || tens > 13) {
    if (ones == 1) suffix = "st";
    if (ones == 2) suffix = "nd";
    if (ones == 3) suffix = "rd";
  }
  return std::to_string(n) + suffix;
}

std::string_view test_case_state(const test_case_report& report) {
  if (report.failed_by_warning) return " failed for its warnings (--strict)";
  if (!report.passed) {
    if (report.step == step_state::out_of_step) return " failed (read out of step)";
    if (report.step == step_state::may_be_out_of_step) return " failed (may be read out of step)";
    return " failed";
  }
  if (report.shifted && report.shifted->why == shift::cause::empty_first_run)
    return " passed, but its first run is empty";
  if (report.shifted) return " passed, but the file is read out of step after it";
  return report.warnings.size() + report.more_warnings > 1 ? " passed, with warnings"
                                                           : " passed, with a warning";
}

void put_stopped_text(output& out, const file_summary& summary) {
  const stop_report& stopped = *summary.stopped;
  // A file that did not open opens the message: the run file, or the
  // test-case file, which stops every run file.
  out.put(stopped.failure == platform::open_failure::none ? summary.run_file : stopped.file);
  out.put(": stopped: ");
  if (stopped.line > 0) {
    out.put(stopped.file).put(" line ").put_int(stopped.line).put(": ");
  } else if (stopped.failure == platform::open_failure::none) {
    out.put(stopped.file).put(": ");  // a file that did not open is named in the message
  }
  out.put(stopped.message).put("\n");
  put_file_hints(out, stopped.hints, stopped.file, "  ");
}

void put_run_file_hints_text(output& out, const file_summary& summary) {
  put_file_hints(out, summary.hints, "the run file", "  ");
}

void put_repeated_hints_text(output& out, const file_summary& summary) {
  for (const repeated_hint& h : summary.repeated_hints) {
    out.put(summary.run_file).put(": the hint on ").put(hint_subject(h.what));
    out.put(", said at line ")
        .put_int(h.line)
        .put(", applies to ")
        .put_int(h.more)
        .put(h.more == 1 ? " more line\n" : " more lines\n");
  }
}

void put_test_case_text(output& body, const file_summary& summary, const test_case_report& report) {
  if (report.variant) {
    body.put("  recognised: ").put(these_are_the_runs_of).put(report.variant->description);
    body.put("\n");
  }
  if (report.count) put_count(body, *report.count, report.listing_hidden);
  for (std::size_t i = 0; i < report.runs.size(); ++i) {
    put_wrong_run(body, report.runs[i], report.listing_hidden);
    if (i == 0 && report.why) put_explanation(body, *report.why);
  }
  if (report.more_runs > 0) {
    body.put("  ... and ").put_int(report.more_runs).put(" more wrong runs\n");
  }
  if (report.variants_not_compared) {
    body.put("  note: too many lines to compare with the faulty programs runcheck-explain ");
    body.put("knows\n");
  }
  for (const warning& w : report.warnings) put_warning(body, summary, w, "  ");
  if (report.more_warnings > 0) {
    body.put("  ... and ").put_int(report.more_warnings).put(" more warnings\n");
  }
  if (report.shifted) {
    put_shift(body, report, *report.shifted, report.count ? report.count->found : 0,
              report.count ? report.count->expected : 0, report.count && report.count->holds_text);
  }
}

void put_verdict(output& out, const file_summary& summary) {
  if (summary.stopped) {
    out.put("STOPPED, ").put(check_could_not_run);
    return;
  }
  out.put(summary.status() == 0 ? "PASS, " : "FAIL, ")
      .put_int(summary.passed)
      .put(" of ")
      .put_int(summary.total)
      .put(" test cases passed");
}

void put_unexplained(output& out, const file_summary& summary) {
  out.put("the first ").put_int(max_explained_test_cases);
  out.put(" failing test cases are explained; ").put_int(summary.unexplained);
  out.put(" more are only reported");
}

}  // namespace runcheck::explain
