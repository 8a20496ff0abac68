#include "explain/diagnosis/diagnosis.h"

#include <algorithm>
#include <optional>
#include <span>
#include <utility>
#include <vector>

#include "check/run_file_checker.h"
#include "explain/diagnosis/explanation.h"
#include "explain/diagnosis/hints.h"
#include "explain/diagnosis/in_step.h"
#include "explain/diagnosis/line_locator.h"
#include "explain/diagnosis/line_text.h"
#include "explain/diagnosis/recognition.h"
#include "explain/diagnosis/run_file_lines.h"
#include "explain/diagnosis/slips.h"
#include "explain/diagnosis/stops.h"
#include "explain/diagnosis/test_case_keys.h"
#include "explain/diagnosis/test_case_lines.h"
#include "input/text_reader.h"

namespace runcheck::explain {

namespace {

void set_place(file_place& at, const located_line& located) {
  at.line = located.line;
  at.text.assign(located.text);
  at.ends_file = located.ends_file;
}

// What the check of one test case did that can put the reading out of step.
struct check_facts {
  bool count_wrong = false;
  bool count_too_large = false;  // more run lines read than it has runs
  // Where its count stands: from 1, 0 at the end of the file; located only
  // where the count is wrong or its first run empty.
  std::int64_t count_line = 0;
  std::optional<std::int64_t> cut_line;  // the first run line read in pieces
  bool swallowed = false;                // its count read skipped the lines of its empty runs
  // count_too_large: the line of the first run line past its runs; 0 where
  // not kept.
  std::int64_t past_line = 0;
};

// What the note says of a test case after which the file is out of step.
shift cause_of(const check_facts& facts) {
  if (facts.count_too_large) return {.why = shift::cause::count_too_large, .line = facts.past_line};
  if (facts.count_wrong) return {.why = shift::cause::count_too_small};
  if (facts.cut_line) return {.why = shift::cause::line_in_pieces, .line = *facts.cut_line};
  if (facts.swallowed) return {.why = shift::cause::empty_first_run, .line = facts.count_line};
  // Its lines were taken whole, as many as it has runs, but not as its
  // author meant them: a blank line, two runs on one line (the hints say).
  return {.why = shift::cause::lines_taken_as_runs};
}

// Everything the diagnosis of one run file shares across its test cases.
struct context {
  const std::string& test_case_file;
  const expected_runs& expected;
  const test_case_file_notes& notes;
  const diagnosis_options& options;
  file_summary& summary;
  report_printer& printer;
  run_file_lines& lines;  // the run file's lines as written, for the in-step rule
};

// Turns the checker's findings into reports, test case by test case, with a
// trailing reader that locates them (diagnosis.h says how).
class diagnosis final : public check_observer {
 public:
  diagnosis(context& ctx, line_locator& run_file)
      : ctx_(ctx), file_(run_file), in_step_(ctx.lines), keys_(ctx.test_case_file) {
    const auto has = [&](file_hint h) {
      return std::find(ctx.summary.hints.begin(), ctx.summary.hints.end(), h) !=
             ctx.summary.hints.end();
    };
    utf16_ = has(file_hint::utf16);
    // Lines ended by carriage returns alone are read as one: the reads meet
    // the end of the file without its being short of anything.
    cr_only_ = has(file_hint::cr_line_ends);
    not_runs_ = has(file_hint::same_file) || has(file_hint::test_case_file);
  }

  void count_read(const count_report& count) override {
    if (has_pending_) settle(&count);
    count_ = count;
    lines_.begin(ctx_.expected.table[count.test_case]);
  }

  void run_line_read(const run_line_report& line) override { lines_.add(line); }

  void wrong_run(const run_report& run) override { lines_.add_wrong(run); }

  void test_case_checked(const test_case_verdict& verdict) override {
    const run_set& set = lines_.expected();
    const bool empty_first_run = set.run_count >= 1 && run_length(set, 1) == 0 && count_.found >= 1;
    if (verdict.passed && lines_.lines().empty() && !empty_first_run) {
      finish_listed(verdict);
    } else {
      finish(verdict, empty_first_run);
    }
    has_pending_ = true;
  }

  // After the last test case, with `text_after` where text stands after its
  // lines (-1 none): hands on the last report.
  void finish_file(std::int64_t text_after) {
    if (!has_pending_) return;
    test_case_report& report = pending_;
    // Text after a test case that failed is most likely what it lacks.
    if (text_after >= 0 && pending_check_passed_) {
      add_warning(report, warning{.what = warning::kind::text_after_run_file,
                                  .line = file_.locate(text_after).line});
    }
    if (ctx_.notes.text_after_line > 0) {
      add_warning(report, warning{.what = warning::kind::text_after_test_case_file,
                                  .line = ctx_.notes.text_after_line});
    }
    set_verdict(report, pending_check_passed_);
    settle(nullptr);
  }

  // The faulty program whose runs every failing test case holds, if one is.
  std::optional<variant_match> file_variant() const { return recognition_.file_program(); }

  // The hints said once that later lines called for too.
  std::vector<repeated_hint> repeated_hints() const { return hints_.repeated(); }

 private:
  // Hands on the pending report, once the next test case's count (or none,
  // after the last) says whether the file is still read in step.
  void settle(const count_report* next) {
    if (next != nullptr) next_set_ = ctx_.expected.table[next->test_case];
    const in_step_tracker::settled settled =
        in_step_.next_count(next, next != nullptr ? &next_set_ : nullptr, file_);
    if (settled.shifted) pending_.shifted = settled.shifted;
    if (pending_.passed) ++ctx_.summary.passed;
    // The independent score: runcheck's verdict, or for a test case read out
    // of step, its expected lines found where its count stands.
    pending_.passed_independently =
        pending_.passed || (settled.found_again && !pending_.failed_by_warning);
    if (pending_.passed_independently) ++ctx_.summary.passed_independently;
    hints_.say_once(pending_);
    ctx_.printer.test_case(ctx_.summary, pending_);
    has_pending_ = false;
  }

  void set_verdict(test_case_report& report, bool check_passed) const {
    report.failed_by_warning = check_passed && ctx_.options.strict && !report.warnings.empty();
    report.passed = check_passed && !report.failed_by_warning;
  }

  // Empties the pending report for test case `t`, but for its wrong runs,
  // whose storage is reused.
  void begin_report(std::int32_t t) {
    test_case_report& report = pending_;
    report.test_case = t;
    report.step = in_step_.state();
    report.count.reset();
    report.more_runs = lines_.more_wrong();
    report.why.reset();
    report.variant.reset();
    report.variants_not_compared = false;
    report.warnings.clear();
    report.more_warnings = 0;
    report.shifted.reset();
    report.expected_runs.keys.clear();
    report.expected_runs.ends.clear();
    report.read_runs.keys.clear();
    report.read_runs.ends.clear();
    report.read_runs_lost = false;
  }

  // A test case read as the expected listing's bytes: nothing to locate or
  // explain (the common case, kept short).
  void finish_listed(const test_case_verdict& verdict) {
    begin_report(verdict.test_case);
    pending_.runs.clear();
    flagged_warnings(pending_, verdict.test_case);
    set_verdict(pending_, true);
    in_step_.checked(lines_.expected(), {.count_offset = count_.offset,
                                         .as_listed = true,
                                         .cause = {.why = shift::cause::lines_taken_as_runs}});
    pending_check_passed_ = true;
  }

  void finish(const test_case_verdict& verdict, bool empty_first_run) {
    test_case_report& report = pending_;
    begin_report(verdict.test_case);
    const test_case_lines::structures structure = lines_.mark_lines_to_locate();
    check_facts facts = locate_count(report, empty_first_run);
    locate_runs(report);
    // A first run read from the rest of the count's line, or a wrong one that
    // holds a number alone: what was read as the count may be another line.
    const bool first_wrong = !report.runs.empty() && report.runs[0].run == 0;
    if (first_run_mid_line_ > 0 || (first_wrong && count_like(lines_.line_of(0)))) {
      in_step_.recheck(count_.offset, lines_.expected());
      report.step = in_step_.state();
    }
    // The lines located that the facts name.
    const auto lines = lines_.lines();
    const auto cut =
        std::find_if(lines.begin(), lines.end(), [](const line_read& l) { return l.cut; });
    if (cut != lines.end()) facts.cut_line = cut->line;
    if (facts.count_too_large) {
      const line_read* past = lines_.line_of(lines_.expected().run_count);
      facts.past_line = past != nullptr ? past->line : 0;
    }
    add_structure_hints(report, structure, find_slips(lines_, count_.found));
    in_step_.checked(lines_.expected(),
                     {.count_offset = count_.offset,
                      .as_listed = as_listed(facts, structure, report),
                      .count_like_run = std::any_of(
                          report.runs.begin(), report.runs.end(),
                          [&](const run_finding& w) { return count_like(lines_.line_of(w.run)); }),
                      .cause = cause_of(facts)});

    // Warnings: from the run file only where it is read in step, or where
    // the test case passes (and --strict may fail it).
    const bool misread = !verdict.passed && in_step_.state() != step_state::in_step;
    for (const line_read& l : lines_.lines()) {
      // A line of lines ended by carriage returns alone has its own hint.
      if (l.warned && !misread && !l.lone_cr) {
        add_warning(
            report,
            warning{.what = warning::kind::numbers_after_run, .line = l.line, .run = l.run});
      }
    }
    flagged_warnings(report, verdict.test_case);
    set_verdict(report, verdict.passed);
    pending_check_passed_ = verdict.passed;

    if (verdict.passed) return;
    if (in_step_.state() == step_state::in_step) {
      explain_and_recognise(report, verdict);
    } else {
      recognition_.not_compared();
    }
  }

  // A run line read that holds one number, as a count line does.
  static bool count_like(const line_read* l) {
    return l != nullptr && (l->count == 1 || (l->count == 2 && l->last_token_blank));
  }

  // Whether the check took the test case's lines as a file holding the
  // expected listing has them (in_step.h): its count right, each run line
  // whole and no blank line or a line that ends early where a run with keys
  // is due, no line holding several runs or part of one, no word after the
  // count read as its first run.
  bool as_listed(const check_facts& facts, const test_case_lines::structures& structure,
                 const test_case_report& report) const {
    if (facts.count_wrong || facts.cut_line || facts.swallowed || word_after_count_ ||
        structure.merged.line != nullptr || structure.split.line != nullptr)
      return false;
    const run_set& set = lines_.expected();
    for (const line_read& l : lines_.lines()) {
      const bool blank = l.count == 1 && l.last_token_blank;
      if (blank && l.run < set.run_count && run_length(set, l.run + 1) > 0) return false;
    }
    return std::none_of(report.runs.begin(), report.runs.end(),
                        [](const run_finding& w) { return !w.found; });
  }

  // Locates the count, where it is wrong or its first run empty, and says it
  // when it is wrong; gives what the check did to the reading.
  check_facts locate_count(test_case_report& report, bool empty_first_run) {
    const std::int32_t runs = lines_.expected().run_count;
    check_facts reading{.count_wrong = count_.found != count_.expected,
                        .count_too_large = count_.found > runs};
    located_line count_at;
    if (reading.count_wrong || empty_first_run) count_at = file_.locate(count_.offset);
    reading.count_line = count_at.line;
    if (reading.count_wrong) {
      count_finding& finding = report.count.emplace();
      finding.expected = count_.expected;
      finding.found = count_.found;
      set_place(finding.at, count_at);
      set_count_hints(finding, utf16_, may_end_early(report));
    }
    if (empty_first_run) reading.swallowed = file_.locate(count_.end_offset).line > count_at.line;
    return reading;
  }

  // Locates the lines that want it, in file order, and says the wrong runs
  // with their hints.
  void locate_runs(test_case_report& report) {
    const std::vector<run_report>& wrong = lines_.wrong();
    report.runs.resize(wrong.size());
    std::size_t next_wrong = 0;
    word_after_count_ = false;
    first_run_mid_line_ = 0;
    for (line_read& l : lines_.lines()) {
      if (!l.locate) continue;
      const located_line at = file_.locate(l.offset);
      l.line = at.line;
      l.lone_cr = lone_carriage_return(at.text);
      // The first run read from the count's line: the rest of that line,
      // which holds a word rather than keys.
      if (l.run == 0 && at.line > 0 && !at.starts_line) {
        first_run_mid_line_ = at.line;
        word_after_count_ = !reads_as_number(at.text);
      }
      while (next_wrong < wrong.size() && wrong[next_wrong].run < l.run) ++next_wrong;
      if (next_wrong < wrong.size() && wrong[next_wrong].run == l.run)
        set_place(report.runs[next_wrong].at, at);
    }
    const run_set& set = lines_.expected();
    for (std::size_t i = 0; i < wrong.size(); ++i) {
      const run_report& w = wrong[i];
      run_finding& finding = report.runs[i];
      const auto keys = run_keys(set, w.run + 1);
      finding.run = w.run;
      finding.position = w.position;
      finding.expected = w.expected;
      finding.found = w.found;
      // The storage of a report's expected runs is reused from test case to
      // test case.
      if (!finding.expected_run) finding.expected_run.emplace();
      finding.expected_run->assign(keys.begin(), keys.end());
      const line_read* l = lines_.line_of(w.run);
      // A wrong line past those kept is located now, after all kept ones.
      if (l == nullptr) set_place(finding.at, file_.locate(w.offset));
      const line_read* before = lines_.line_of(w.run - 1);
      std::optional<std::int64_t> long_line;
      if (l != nullptr && l->cut) {
        long_line = l->line;
      } else if (before != nullptr && before->cut) {
        long_line = before->line;
      }
      set_run_hints(finding, long_line, utf16_, may_end_early(report));
    }
  }

  // The end of the file is the file short of its own counts only in a test
  // case read in step, in a file whose lines end with line feeds.
  bool may_end_early(const test_case_report& report) const {
    return report.step == step_state::in_step && !cr_only_;
  }

  // The hints on the lines' structure and the slips they show. Where the
  // count matches a run over two lines (one more than the runs), the two
  // lines are runs as a program wrote them, and no slip of form; two runs on
  // one line are named whatever the count, as the check compares only the
  // first.
  void add_structure_hints(test_case_report& report, const test_case_lines::structures& found,
                           const std::vector<hint>& slips) const {
    const std::int64_t runs = lines_.expected().run_count;
    const auto add = [&](const line_structure& s, hint::kind kind) {
      if (s.line == nullptr) return;
      add_structure_hint(
          report, hint{.what = kind, .line = s.line->line, .run = s.line->run, .runs = s.runs});
    };
    const bool key_per_line = std::any_of(slips.begin(), slips.end(), [](const hint& h) {
      return h.what == hint::kind::key_per_line;
    });
    add(found.merged, hint::kind::runs_on_one_line);
    if (count_.found != runs + 1 && !key_per_line) add(found.split, hint::kind::run_split);
    for (const hint& slip : slips) add_structure_hint(report, slip);
  }

  static void add_warning(test_case_report& report, const warning& w) {
    if (report.warnings.size() < max_kept_warnings) {
      report.warnings.push_back(w);
    } else {
      ++report.more_warnings;
    }
  }

  // The test-case file's notes on test case `t`, as warnings.
  void flagged_warnings(test_case_report& report, std::int32_t t) {
    flagged_ = nullptr;
    const auto& flagged = ctx_.notes.test_cases;
    while (flag_ < flagged.size() && flagged[flag_].test_case < t) ++flag_;
    if (flag_ == flagged.size() || flagged[flag_].test_case != t) return;
    flagged_ = &flagged[flag_];
    if (flagged_->keys_out_of_range)
      add_warning(report, warning{.what = warning::kind::keys_out_of_range});
    if (flagged_->budget_spent) add_warning(report, warning{.what = warning::kind::budget_spent});
  }

  void explain_and_recognise(test_case_report& report, const test_case_verdict& verdict) {
    // Past the first max_explained_test_cases, only what the file as a whole
    // is said to hold is still looked for: the one faulty program so far.
    const bool in_full = explained_ < max_explained_test_cases;
    if (!in_full) {
      ++ctx_.summary.unexplained;
      if (!recognition_.file_program_open()) {
        recognition_.not_compared();
        return;
      }
    }
    const std::span<const std::int32_t> keys = keys_.of(verdict.test_case);
    if (keys.empty()) {
      recognition_.not_compared();
      return;
    }
    if (in_full) {
      ++explained_;
      if (ctx_.options.keep_runs) lines_.keep_runs(verdict.run_lines, report);
    }
    if (!lines_.runs_as_read(verdict.run_lines, read_)) {
      report.variants_not_compared = in_full;
      recognition_.not_compared();
    } else if (!in_full) {
      recognition_.compare_with_file_program(keys, read_);
    } else {
      // Where every key lies in the range and the budget was never reached,
      // a program that differs only at those edges writes the right runs,
      // which a failing test case does not hold.
      const bool edges_matter =
          flagged_ != nullptr && (flagged_->keys_out_of_range || flagged_->budget_spent);
      report.variant = recognition_.compare(keys, read_, edges_matter);
    }
    if (!in_full) return;
    // The lines of a program recognised are the runs it wrote, no slip of
    // form.
    if (report.variant) drop_structure_hints(report);
    explain_first_wrong_run(report, keys);
  }

  // Why the expected key comes next, where the first wrong run is no matter
  // of form (a hint says what is wrong with the line then), the test case
  // shows no slip in its lines (a hint on its count names it), and the run
  // file holds runs at all.
  void explain_first_wrong_run(test_case_report& report, std::span<const std::int32_t> keys) const {
    if (report.runs.empty() || report.runs[0].at.line == 0 || !report.runs[0].hints.empty()) return;
    if (report.count && std::any_of(report.count->hints.begin(), report.count->hints.end(),
                                    [](const hint& h) { return names_a_slip(h.what); }))
      return;
    if (not_runs_) return;
    const run_finding& first = report.runs[0];
    explanation& e = report.why.emplace();
    if (!explain_position(keys, first.run, first.position, first.found, e)) report.why.reset();
  }

  context& ctx_;
  line_locator& file_;
  bool utf16_ = false;
  bool cr_only_ = false;   // the run file's lines end with carriage returns alone
  bool not_runs_ = false;  // the run file holds test cases, not runs
  // The test case being checked.
  count_report count_;
  test_case_lines lines_;
  bool word_after_count_ = false;        // its first run read from the rest of its count's line
  std::int64_t first_run_mid_line_ = 0;  // that line, where it was; 0 where not
  in_step_tracker in_step_;
  run_set next_set_;  // the runs of the test case whose count was read last
  const test_case_file_notes::flagged* flagged_ = nullptr;
  std::size_t flag_ = 0;
  // The test case checked last, until the next count is read. Its storage
  // is reused from test case to test case.
  test_case_report pending_;
  bool has_pending_ = false;
  bool pending_check_passed_ = true;
  // For the failing test cases: their keys, and what they are compared with.
  test_case_keys keys_;
  program_recognition recognition_;
  hint_tally hints_;
  laid_runs read_;              // the runs as read, for the faulty programs
  std::int64_t explained_ = 0;  // failing test cases explained and compared in full
};

}  // namespace

file_summary report_run_file(const std::string& test_case_file, const std::string& run_file,
                             const expected_runs& expected, const test_case_file_notes& notes,
                             const diagnosis_options& options, key_line& line,
                             report_printer& printer) {
  const run_table& table = expected.table;
  file_summary summary{.test_case_file = test_case_file,
                       .run_file = run_file,
                       .total = table.size(),
                       .strict = options.strict};
  if (table.size() == 0) summary.warnings.push_back({.what = warning::kind::no_test_cases});
  platform::open_failure failure = platform::open_failure::none;
  std::optional<text_reader> checked = open_text_file(run_file.c_str(), &failure);
  if (!checked) {
    summary.stopped = stop_report{
        .message = not_opened_words(run_file, failure), .file = run_file, .failure = failure};
    printer.file_begun(summary);
    printer.file_ended(summary);
    return summary;
  }
  const std::string_view head = checked->buffered().substr(0, 4096);
  summary.hints = hints_of_head(head);
  if (run_file == test_case_file) {
    summary.hints.push_back(file_hint::same_file);
  } else if (begins_as(head, line_locator(test_case_file).head())) {
    summary.hints.push_back(file_hint::test_case_file);
  }
  line_locator file(run_file);
  if (table.size() == 0) {
    // No test case to say it with: text after the last test case, which is
    // then all there is, is said for the whole file.
    if (const std::int64_t text_after = skip_to_text(*checked); text_after >= 0) {
      summary.warnings.push_back(
          {.what = warning::kind::text_after_run_file, .line = file.locate(text_after).line});
    }
    if (notes.text_after_line > 0) {
      summary.warnings.push_back(
          {.what = warning::kind::text_after_test_case_file, .line = notes.text_after_line});
    }
  }
  // The in-step rule reads the file once more, behind the check, where its
  // lines are wanted.
  run_file_lines lines(run_file);
  printer.file_begun(summary);
  context ctx{.test_case_file = test_case_file,
              .expected = expected,
              .notes = notes,
              .options = options,
              .summary = summary,
              .printer = printer,
              .lines = lines};
  diagnosis findings(ctx, file);
  check_run_file(*checked, table, line, findings);
  findings.finish_file(skip_to_text(*checked));
  summary.variant = findings.file_variant();
  summary.repeated_hints = findings.repeated_hints();
  printer.file_ended(summary);
  return summary;
}

file_summary report_stopped(const std::string& test_case_file, const std::string& run_file,
                            const stop& why, report_printer& printer) {
  stop_report stopped = describe_stop(why, test_case_file);
  if (test_case_file == run_file) stopped.hints.push_back(file_hint::same_file);
  file_summary summary{.test_case_file = test_case_file, .run_file = run_file, .stopped = stopped};
  printer.file_begun(summary);
  printer.file_ended(summary);
  return summary;
}

}  // namespace runcheck::explain
