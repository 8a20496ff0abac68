#include "explain/diagnosis/diagnosis.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <span>
#include <string_view>
#include <utility>
#include <vector>

#include "check/run_file_checker.h"
#include "explain/diagnosis/explanation.h"
#include "explain/diagnosis/hints.h"
#include "explain/diagnosis/independent_score.h"
#include "explain/diagnosis/line_locator.h"
#include "explain/diagnosis/line_text.h"
#include "explain/diagnosis/stops.h"
#include "explain/diagnosis/variants.h"
#include "input/text_reader.h"

namespace runcheck::explain {

namespace {

// What one test case keeps of the lines read number by number: enough for
// the faulty programs' runs (at most one run per key, 1,000 keys a test
// case) with room to spare.
constexpr std::size_t max_kept_lines = 1024;
constexpr std::size_t max_kept_numbers = std::size_t{1} << 16;

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// True when `at` is a line that holds one number and nothing else.
bool count_line_alone(const located_line& at) {
  const std::string_view token = first_token(at.text);
  return at.line > 0 && at.starts_line && token_count(at.text) == 1 && starts_with_number(token) &&
         std::all_of(token.begin() + 1, token.end(),
                     [](char c) { return is_digit(c) || c == '\t' || c == '\r'; });
}

void set_place(file_place& at, const located_line& located) {
  at.line = located.line;
  at.text.assign(located.text);
  at.ends_file = located.ends_file;
}

// A run line that passes holds numbers after its run's last key, other than
// the 0 that a space before the line break makes. An empty run has no last
// key: whatever its line holds is not compared.
bool numbers_after_run(const run_set& expected, std::int64_t run, const key_line& line) {
  const auto length = static_cast<std::size_t>(run_length(expected, run + 1));
  return length > 0 && line.count > length && !(line.count == length + 1 && line.last_token_blank);
}

// One run line read number by number, as its test case keeps it.
struct line_read {
  std::int64_t run = 0;
  std::int64_t offset = 0;
  std::size_t first = 0;  // its numbers are numbers_[first, first + kept)
  std::size_t kept = 0;
  std::size_t count = 0;  // numbers read
  bool cut = false;
  bool last_token_blank = false;
  bool wrong = false;
  bool warned = false;
  bool locate = false;  // its line is wanted
  // Once located:
  std::int64_t line = 0;
  bool lone_cr = false;
};

// A line that holds several runs, or one run split over two.
struct structure {
  const line_read* line = nullptr;
  std::int64_t runs = 0;
};

// Everything the diagnosis of one run file shares across its test cases.
struct context {
  const std::string& test_case_file;
  const expected_runs& expected;
  const test_case_file_notes& notes;
  const diagnosis_options& options;
  file_summary& summary;
  report_printer& printer;
  independent_scan& independent;
};

// Turns the checker's findings into reports, test case by test case, with a
// trailing reader that locates them (diagnosis.h says how).
class diagnosis final : public check_observer {
 public:
  diagnosis(context& ctx, line_locator& run_file) : ctx_(ctx), file_(run_file) {
    utf16_ = std::find(ctx.summary.hints.begin(), ctx.summary.hints.end(), file_hint::utf16) !=
             ctx.summary.hints.end();
  }

  void count_read(const count_report& count) override {
    if (has_pending_) settle(&count);
    count_ = count;
    set_ = ctx_.expected.table[count.test_case];
    used_lines_ = 0;
    numbers_.clear();
    wrong_.clear();
    more_wrong_ = 0;
    lines_lost_ = false;
  }

  void run_line_read(const run_line_report& line) override {
    if (used_lines_ == max_kept_lines) {
      lines_lost_ = true;
      return;
    }
    const key_line& read = *line.line;
    const std::size_t room = max_kept_numbers - numbers_.size();
    const std::size_t kept = std::min(read.count, room);
    if (kept < read.count) lines_lost_ = true;
    if (used_lines_ == lines_.size()) lines_.emplace_back();
    lines_[used_lines_++] = {.run = line.run,
                             .offset = line.offset,
                             .first = numbers_.size(),
                             .kept = kept,
                             .count = read.count,
                             .cut = read.cut,
                             .last_token_blank = read.last_token_blank,
                             .warned = numbers_after_run(set_, line.run, read)};
    numbers_.insert(numbers_.end(), read.numbers.begin(),
                    read.numbers.begin() + static_cast<std::ptrdiff_t>(kept));
  }

  void wrong_run(const run_report& run) override {
    if (used_lines_ > 0 && lines_[used_lines_ - 1].run == run.run) {
      lines_[used_lines_ - 1].wrong = true;
      lines_[used_lines_ - 1].warned = false;  // a wrong line passes by no tolerance
    }
    if (wrong_.size() < max_kept_runs) {
      wrong_.push_back(run);
    } else {
      ++more_wrong_;
    }
  }

  void test_case_checked(const test_case_verdict& verdict) override {
    const bool empty_first_run =
        set_.run_count >= 1 && run_length(set_, 1) == 0 && count_.found >= 1;
    if (verdict.passed && used_lines_ == 0 && !empty_first_run) {
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
  std::optional<variant_match> file_variant() const {
    if (!file_variant_possible_ || file_variant_ == nullptr || failing_ == 0) return std::nullopt;
    return variant_match{file_variant_->name, file_variant_->description};
  }

 private:
  std::span<line_read> lines() { return {lines_.data(), used_lines_}; }
  std::span<const line_read> lines() const { return {lines_.data(), used_lines_}; }

  // Hands on the pending report, once the next test case's count (or none,
  // after the last) says whether the file is still read in step.
  void settle(const count_report* next) {
    const bool kept = pending_in_step_ && pending_kept_;
    bool in_step = kept && next != nullptr && next->found == next->expected;
    std::int64_t next_line = -1;
    if (next != nullptr && !in_step) {
      // Read from a line of its own: a count line, however written (where
      // the lines before were taken as the listing's are, a line of one
      // word is this test case's count line too, only not a number, and
      // the end of the file is where the file ends).
      const located_line at = file_.locate(next->offset);
      next_line = at.line;
      in_step = count_line_alone(at) ||
                (kept && (at.line == 0 || (at.starts_line && token_count(at.text) <= 1)));
    }
    if (next != nullptr && pending_in_step_ && !in_step) {
      if (pending_shift_.why == shift::cause::count_too_small) pending_shift_.line = next_line;
      pending_shift_.next_count_line = next_line;
      pending_.shifted = pending_shift_;
    }
    if (pending_.passed) ++ctx_.summary.passed;
    pending_.passed_independently = ctx_.independent.next(ctx_.notes.blocks, pending_.test_case,
                                                          ctx_.expected.table[pending_.test_case]);
    if (pending_.passed_independently) ++ctx_.summary.passed_independently;
    ctx_.printer.test_case(ctx_.summary, pending_);
    has_pending_ = false;
    current_in_step_ = in_step;
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
    report.out_of_step = !current_in_step_;
    report.count.reset();
    report.more_runs = more_wrong_;
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
    pending_in_step_ = current_in_step_;
    pending_check_passed_ = true;
    pending_kept_ = true;
    pending_shift_ = {.why = shift::cause::lines_taken_as_runs};
  }

  void finish(const test_case_verdict& verdict, bool empty_first_run) {
    test_case_report& report = pending_;
    begin_report(verdict.test_case);
    const std::int32_t runs = set_.run_count;
    const bool count_wrong = count_.found != count_.expected;

    // What wants a line, in file order: the count, where its read ended,
    // then the run lines.
    bool cut = false;
    for (line_read& l : lines()) {
      l.locate = l.wrong || l.warned || (l.cut && !cut) || l.run == runs;
      cut = cut || l.cut;
    }
    mark_structure();

    located_line count_at;
    if (count_wrong || empty_first_run) count_at = file_.locate(count_.offset);
    const std::int64_t count_line = count_at.line;
    if (count_wrong) {
      count_finding& finding = report.count.emplace();
      finding.expected = count_.expected;
      finding.found = count_.found;
      set_place(finding.at, count_at);
      set_count_hints(finding, utf16_);
    }
    bool swallowed = false;
    if (empty_first_run) swallowed = file_.locate(count_.end_offset).line > count_line;

    // The wrong runs, located with the lines that want it, in order.
    report.runs.resize(wrong_.size());
    std::size_t next_wrong = 0;
    for (line_read& l : lines()) {
      if (!l.locate) continue;
      const located_line at = file_.locate(l.offset);
      l.line = at.line;
      l.lone_cr = lone_carriage_return(at.text);
      while (next_wrong < wrong_.size() && wrong_[next_wrong].run < l.run) ++next_wrong;
      if (next_wrong < wrong_.size() && wrong_[next_wrong].run == l.run)
        set_place(report.runs[next_wrong].at, at);
    }
    for (std::size_t i = 0; i < wrong_.size(); ++i) {
      const run_report& w = wrong_[i];
      run_finding& finding = report.runs[i];
      const auto keys = run_keys(set_, w.run + 1);
      finding.run = w.run;
      finding.position = w.position;
      finding.expected = w.expected;
      finding.found = w.found;
      // The storage of a report's expected runs is reused from test case to
      // test case.
      if (!finding.expected_run) finding.expected_run.emplace();
      finding.expected_run->assign(keys.begin(), keys.end());
      const line_read* l = line_of(w.run);
      // A wrong line past those kept is located now, after all kept ones.
      if (l == nullptr) set_place(finding.at, file_.locate(w.offset));
      const line_read* before = line_of(w.run - 1);
      std::optional<std::int64_t> long_line;
      if (l != nullptr && l->cut) {
        long_line = l->line;
      } else if (before != nullptr && before->cut) {
        long_line = before->line;
      }
      set_run_hints(finding, long_line, utf16_);
    }
    structure_hints(report);

    // Warnings: from the run file only where it is read in step, or where
    // the test case passes (and --strict may fail it).
    const bool misread = !verdict.passed && !current_in_step_;
    for (const line_read& l : lines()) {
      // A line of lines ended by carriage returns alone has its own hint.
      if (l.warned && !misread && !l.lone_cr) {
        add_warning(
            report,
            warning{.what = warning::kind::numbers_after_run, .line = l.line, .run = l.run});
      }
    }
    flagged_warnings(report, verdict.test_case);
    set_verdict(report, verdict.passed);

    // What the next count will say about being in step.
    pending_in_step_ = current_in_step_;
    pending_check_passed_ = verdict.passed;
    // A count read at the end of the file took nothing out of place either.
    pending_kept_ = (!count_wrong && !cut && !swallowed) || (count_wrong && count_line == 0);
    if (count_.found > runs) {
      const line_read* past = line_of(runs);
      pending_shift_ = {.why = shift::cause::count_too_large,
                        .line = past != nullptr ? past->line : 0};
    } else if (count_wrong) {
      pending_shift_ = {.why = shift::cause::count_too_small};
    } else if (cut) {
      const auto l = lines();
      const auto first_cut =
          std::find_if(l.begin(), l.end(), [](const line_read& x) { return x.cut; });
      pending_shift_ = {.why = shift::cause::line_in_pieces, .line = first_cut->line};
    } else if (swallowed) {
      pending_shift_ = {.why = shift::cause::empty_first_run, .line = count_line};
    } else {
      // Its lines were taken whole, as many as it has runs, but not as its
      // author meant them: a blank line, two runs on one line (the hints say).
      pending_shift_ = {.why = shift::cause::lines_taken_as_runs};
    }

    if (!verdict.passed && current_in_step_) explain_and_recognise(report, verdict);
    if (!verdict.passed) {
      if (!current_in_step_) file_variant_possible_ = false;
      ++failing_;
    }
  }

  const line_read* line_of(std::int64_t run) const {
    const auto l = lines();
    const auto found = std::lower_bound(
        l.begin(), l.end(), run, [](const line_read& x, std::int64_t r) { return x.run < r; });
    return found != l.end() && found->run == run ? &*found : nullptr;
  }

  // Appends the numbers of line `run` as read to `into`: kept, or, for a
  // line taken on its bytes, the expected run's keys; the 0 of a blank last
  // token left out. False for a line not kept.
  bool append_numbers(std::int64_t run, std::vector<std::int32_t>& into) const {
    const line_read* l = line_of(run);
    if (l != nullptr) {
      if (l->kept < l->count) return false;
      const auto begin = numbers_.begin() + static_cast<std::ptrdiff_t>(l->first);
      const std::size_t n = l->kept - (l->last_token_blank && l->kept > 0 ? 1 : 0);
      into.insert(into.end(), begin, begin + static_cast<std::ptrdiff_t>(n));
      return true;
    }
    if (lines_lost_ || run >= set_.run_count) return false;
    const auto keys = run_keys(set_, run + 1);
    into.insert(into.end(), keys.begin(), keys.end());
    return true;
  }

  // Finds a line that holds several expected runs, and one that holds a run
  // the next line ends, and marks them to be located.
  void mark_structure() {
    merged_ = {};
    split_ = {};
    std::vector<std::int32_t>& numbers = scratch_;
    std::vector<std::int32_t>& next = scratch_next_;
    for (line_read& l : lines()) {
      numbers.clear();
      if (l.run >= set_.run_count || !append_numbers(l.run, numbers)) continue;
      // Runs l.run, l.run + 1, ... laid end to end.
      std::size_t at = 0;
      std::int64_t r = l.run;
      while (r < set_.run_count && at < numbers.size()) {
        const auto keys = run_keys(set_, r + 1);
        if (keys.empty() || numbers.size() - at < keys.size() ||
            !std::equal(keys.begin(), keys.end(),
                        numbers.begin() + static_cast<std::ptrdiff_t>(at)))
          break;
        at += keys.size();
        ++r;
      }
      if (at == numbers.size() && r - l.run >= 2 && merged_.line == nullptr) {
        merged_ = {.line = &l, .runs = r - l.run};
        l.locate = true;
        l.warned = false;  // its numbers after the run are the next runs: the hint says so
      }
      // A proper beginning of the run, the next line holding the rest.
      const auto keys = run_keys(set_, l.run + 1);
      next.clear();
      if (split_.line == nullptr && !numbers.empty() && numbers.size() < keys.size() &&
          std::equal(numbers.begin(), numbers.end(), keys.begin()) &&
          append_numbers(l.run + 1, next) && next.size() == keys.size() - numbers.size() &&
          std::equal(next.begin(), next.end(),
                     keys.begin() + static_cast<std::ptrdiff_t>(numbers.size()))) {
        split_ = {.line = &l, .runs = 2};
        l.locate = true;
      }
    }
  }

  // The merged or split lines, said with the finding they explain.
  void structure_hints(test_case_report& report) const {
    const auto add = [&](const structure& s, hint::kind kind) {
      if (s.line == nullptr) return;
      add_structure_hint(
          report, hint{.what = kind, .line = s.line->line, .run = s.line->run, .runs = s.runs});
    };
    add(merged_, hint::kind::runs_on_one_line);
    add(split_, hint::kind::run_split);
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

  // The test case's keys, read again from the test-case file; empty when
  // they cannot be had.
  std::span<const std::int32_t> keys_of(std::int32_t t) {
    if (!source_ && !source_failed_) {
      stop ignored;
      source_ = test_case_source::open(ctx_.test_case_file.c_str(), ignored);
      source_line_ = std::make_unique<key_line>();
      source_failed_ = !source_;
    }
    while (source_ && source_->read_so_far() <= t) {
      stop ignored;
      keys_ = {};
      if (const std::optional<test_case> tc = source_->next(*source_line_, ignored)) {
        keys_ = tc->keys;
      } else {
        source_.reset();
        source_failed_ = true;
      }
    }
    return source_ && source_->read_so_far() == t + 1 ? keys_ : std::span<const std::int32_t>{};
  }

  // The expected runs and the run lines as read, for a printer that draws
  // them (report.h says which).
  void keep_runs(test_case_report& report, const test_case_verdict& verdict) {
    laid_runs& expected = report.expected_runs;
    for (std::int32_t r = 1; r <= set_.run_count; ++r) {
      const auto keys = run_keys(set_, r);
      expected.keys.insert(expected.keys.end(), keys.begin(), keys.end());
      expected.ends.push_back(expected.keys.size());
    }
    laid_runs& read = report.read_runs;
    const std::int64_t run_lines = std::min<std::int64_t>(verdict.run_lines, set_.run_count);
    for (std::int64_t r = 0; r < run_lines; ++r) {
      const std::size_t start = read.keys.size();
      if (!append_numbers(r, read.keys)) {
        read.keys.clear();
        read.ends.clear();
        report.read_runs_lost = true;
        return;
      }
      if (read.keys.size() - start > max_run_keys)
        read.keys.resize(start + static_cast<std::size_t>(max_run_keys));
      read.ends.push_back(read.keys.size());
    }
  }

  void explain_and_recognise(test_case_report& report, const test_case_verdict& verdict) {
    // Past the first max_explained_test_cases, only what the file as a whole
    // is said to hold is still looked for: the one faulty program so far.
    const bool in_full = explained_ < max_explained_test_cases;
    if (!in_full) {
      ++ctx_.summary.unexplained;
      if (!file_variant_possible_ || file_variant_ == nullptr) return;
    }
    const std::span<const std::int32_t> keys = keys_of(verdict.test_case);
    if (keys.empty()) {
      file_variant_possible_ = false;
      return;
    }
    // Why the expected key comes next, where the first wrong run is no
    // matter of form (a hint says what is wrong with the line then).
    if (in_full) ++explained_;
    if (in_full && ctx_.options.keep_runs) keep_runs(report, verdict);
    if (in_full && !report.runs.empty() && report.runs[0].at.line > 0 &&
        report.runs[0].hints.empty()) {
      const run_finding& first = report.runs[0];
      explanation& e = report.why.emplace();
      if (!explain_position(keys, first.run, first.position, first.found, e)) report.why.reset();
    }
    // The runs as read, for the faulty programs.
    laid_runs& runs = read_;
    runs.keys.clear();
    runs.ends.clear();
    bool complete = !lines_lost_ && verdict.run_lines <= std::int64_t{max_kept_lines};
    for (std::int64_t r = 0; complete && r < verdict.run_lines; ++r) {
      complete = append_numbers(r, runs.keys);
      runs.ends.push_back(runs.keys.size());
    }
    if (!complete) {
      report.variants_not_compared = in_full;
      file_variant_possible_ = false;
      return;
    }
    if (!in_full) {
      file_variant_possible_ = writes(*file_variant_, keys, runs);
      return;
    }
    // Where every key lies in the range and the budget was never reached, a
    // program that differs only at those edges writes the right runs, which
    // a failing test case does not hold.
    const bool edges_matter =
        flagged_ != nullptr && (flagged_->keys_out_of_range || flagged_->budget_spent);
    const variant* match = recognise(keys, runs, edges_matter);
    if (match != nullptr) report.variant = variant_match{match->name, match->description};
    // One faulty program for every failing test case: the first one's, if
    // every later one holds its runs too.
    if (failing_ == 0) {
      file_variant_ = match;
      if (match == nullptr) file_variant_possible_ = false;
    } else if (file_variant_ != nullptr && match != file_variant_ &&
               !writes(*file_variant_, keys, runs)) {
      file_variant_possible_ = false;
    }
  }

  context& ctx_;
  line_locator& file_;
  bool utf16_ = false;
  // The test case being checked.
  count_report count_;
  run_set set_;
  std::vector<line_read> lines_;  // the first used_lines_ are this test case's
  std::size_t used_lines_ = 0;
  std::vector<std::int32_t> numbers_;
  std::vector<run_report> wrong_;
  std::int64_t more_wrong_ = 0;
  bool lines_lost_ = false;
  bool current_in_step_ = true;
  structure merged_;
  structure split_;
  const test_case_file_notes::flagged* flagged_ = nullptr;
  std::size_t flag_ = 0;
  // The test case checked last, until the next count is read. Its storage
  // is reused from test case to test case.
  test_case_report pending_;
  bool has_pending_ = false;
  bool pending_in_step_ = true;
  bool pending_check_passed_ = true;
  bool pending_kept_ = true;
  shift pending_shift_;
  // The test-case file, read again for the keys of failing test cases.
  std::optional<test_case_source> source_;
  std::unique_ptr<key_line> source_line_;
  std::span<const std::int32_t> keys_;
  bool source_failed_ = false;
  laid_runs read_;  // the runs as read, for the faulty programs
  std::vector<std::int32_t> scratch_;
  std::vector<std::int32_t> scratch_next_;
  std::int64_t explained_ = 0;  // failing test cases explained and compared in full
  // The faulty program that explains every failing test case so far.
  const variant* file_variant_ = nullptr;
  bool file_variant_possible_ = true;
  std::int32_t failing_ = 0;
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
        .message = not_opened_text(run_file, failure), .file = run_file, .failure = failure};
    printer.file_begun(summary);
    printer.file_ended(summary);
    return summary;
  }
  summary.hints = hints_of_head(checked->buffered().substr(0, 4096));
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
  // The independent score reads the file once more, beside the check.
  std::optional<text_reader> again = open_text_file(run_file.c_str());
  independent_scan independent(again ? std::move(*again) : read_text({}));
  printer.file_begun(summary);
  context ctx{.test_case_file = test_case_file,
              .expected = expected,
              .notes = notes,
              .options = options,
              .summary = summary,
              .printer = printer,
              .independent = independent};
  diagnosis findings(ctx, file);
  check_run_file(*checked, table, line, findings);
  findings.finish_file(skip_to_text(*checked));
  summary.variant = findings.file_variant();
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
