#include "explain/authoring/coverage.h"

#include <algorithm>
#include <memory>
#include <utility>

#include "check/run_file_checker.h"
#include "explain/authoring/stream_check.h"
#include "explain/authoring/test_case_catches.h"
#include "explain/authoring/test_case_sets.h"
#include "explain/diagnosis/diagnosis.h"
#include "explain/diagnosis/line_locator.h"
#include "generation/expected_runs.h"
#include "input/reading.h"
#include "platform/output.h"
#include "runs/listing.h"

namespace runcheck::explain {

namespace {

void add(test_case_list& list, std::int32_t test_case) {
  if (list.first.size() < max_listed_test_cases) list.first.push_back(test_case);
  ++list.count;
}

// Says a warning once: the first time, and counts the others.
void warn(std::vector<file_warning>& warnings, file_warning::kind what, std::int32_t t,
          std::int64_t line) {
  for (file_warning& w : warnings) {
    if (w.what == what) {
      ++w.more;
      return;
    }
  }
  warnings.push_back({.what = what, .test_case = t, .line = line});
}

// The test-case file read once more, for a check that fell behind: each
// test case's runs generated again when asked for.
class file_runs_again final : public runs_again {
 public:
  explicit file_runs_again(std::optional<text_reader> file) : line_(std::make_unique<key_line>()) {
    stop ignored;
    if (file) source_ = test_case_source::start(std::move(*file), ignored);
  }

  run_set runs_of(std::int32_t t) override {
    while (source_ && source_->read_so_far() <= t) {
      stop ignored;
      const std::optional<test_case> tc = source_->next(*line_, ignored);
      if (!tc) {
        source_.reset();
        break;
      }
      if (source_->read_so_far() == t + 1) {
        table_.clear();
        std::optional<run_set> set = table_.open_test_case();
        if (!set) break;
        generate_runs(tc->keys, *set);
        table_.close_test_case(*set);
        held_ = t;
      }
    }
    if (held_ == t) return table_[0];
    // The file read the same the first time; changed since, or with no
    // memory for it, its test case stands as one empty run.
    return {.run_count = 1, .run_end = empty_run_.data(), .keys = nullptr};
  }

 private:
  std::optional<test_case_source> source_;
  std::unique_ptr<key_line> line_;
  run_table table_;
  std::int32_t held_ = -1;  // the test case whose runs table_ holds
  std::array<stored_run_end, 2> empty_run_{};
};

// The test-case file's lines, looked up by offset behind its reading: in
// the file, or in the text held in memory.
class file_lines {
 public:
  file_lines(const std::string& path, std::optional<std::string_view> text) {
    if (text) {
      text_ = *text;
    } else {
      locator_.emplace(path);
    }
  }

  // The line at `offset`, as line_locator gives it; offsets must not
  // decrease from call to call.
  located_line at(std::int64_t offset) {
    if (locator_) return locator_->locate(offset);
    const auto at = static_cast<std::size_t>(std::min<std::int64_t>(offset, std::ssize(text_)));
    if (at == text_.size()) return {};
    line_ += std::count(text_.begin() + static_cast<std::ptrdiff_t>(counted_),
                        text_.begin() + static_cast<std::ptrdiff_t>(at), '\n');
    counted_ = at;
    std::string_view rest = text_.substr(at, text_.find('\n', at) - at);
    const bool ends_file = at + rest.size() == text_.size();
    if (!ends_file && rest.ends_with('\r')) rest.remove_suffix(1);
    rest = rest.substr(0, read_str_size - 1);
    return {.line = line_, .text = rest, .ends_file = ends_file};
  }

 private:
  std::optional<line_locator> locator_;
  std::string_view text_;
  std::int64_t line_ = 1;
  std::size_t counted_ = 0;  // line_ is the line of text_[counted_]
};

// Sees each test case as it is generated and adds what it covers; each
// program's run file is checked from the first test case whose runs differ
// from the right ones.
class coverage_observer final : public generation_observer {
 public:
  coverage_observer(coverage_report& report, const key_line& line, file_lines& lines,
                    const coverage_options& options, const runs_again_maker& again)
      : report_(report),
        key_line_(line),
        lines_(lines),
        options_(options),
        right_(again),
        again_(again),
        programs_(known_variants().size()),
        check_line_(std::make_unique<key_line>()) {}

  void test_case_generated(const test_case& tc, const run_set& runs,
                           const generation_result& result) override {
    const std::int32_t t = report_.num_test_cases++;
    report_.num_keys += tc.num_keys;
    // The empty first run before this one puts the reading out of step here.
    if (empty_first_run_) add(report_.out_of_step, *std::exchange(empty_first_run_, {}));
    const listing_shape shape = shape_of(runs);
    const std::uint32_t exercised = rules_of(tc.keys, runs, result);
    for (std::size_t r = 0; r < rule_count; ++r) {
      if ((exercised >> r & 1) != 0) add(report_.rules[r].test_cases, t);
    }
    if (shape.empty_first_run) {
      empty_first_run_ = t;
      add(report_.count_alone, t);
    }
    key_line_warnings(tc, t);

    const bool analysed = options_.every_test_case || t < max_analysed_test_cases;
    std::optional<std::string> right_text;
    const auto right_listing = [&]() -> const std::string& {
      if (!right_text) right_text = listing_of(runs);
      return *right_text;
    };
    variant_set catches = 0;
    const auto variants = known_variants();
    for (std::size_t i = 0; i < variants.size(); ++i) {
      const bool open = !report_.variants[i].caught_by;
      if (!open && !analysed) continue;
      const outcome o = play_against(variants[i], tc.keys, runs, result);
      if (analysed && catches_alone(o, runs, *check_line_)) catches |= bit_of(variants[i]);
      if (open) advance(i, o, t, runs, shape, right_listing);
    }
    if (right_.at_boundary() && shape.reads_whole()) {
      right_.add_passing();
    } else {
      right_.add(runs, right_listing());
    }
    if (analysed) {
      ++report_.analysed;
      report_.catches.push_back(catches);
      report_.keys_of.push_back(tc.num_keys);
    }
  }

  // After the last test case: the checks still open are done.
  void finish() {
    right_.end();
    if (const std::optional<std::int32_t> failed = right_.first_failure()) {
      right_listing_failure& f = report_.right_fails.emplace();
      f.test_case = *failed;
      f.out_of_step_after = right_.left_step();
      if (f.out_of_step_after) {
        // Why that test case's listing put the check out of step: its
        // runs, read once more.
        const listing_shape shape = shape_of(again_()->runs_of(*f.out_of_step_after));
        f.empty_first_run = shape.empty_first_run;
        f.run = shape.long_run;
        f.characters = shape.long_characters;
      }
    }
    for (std::size_t i = 0; i < programs_.size(); ++i) {
      if (!programs_[i]) continue;
      programs_[i]->end();
      report_.variants[i].caught_by = programs_[i]->first_failure();
    }
    if (report_.num_test_cases == 0)
      warn(report_.warnings, file_warning::kind::no_test_cases, 0, 0);
  }

 private:
  // Hands program i's outcome on test case t to its check. Until its runs
  // first differ, its run file is the right program's, and so is its check.
  template <class listing>
  void advance(std::size_t i, const outcome& o, std::int32_t t, const run_set& runs,
               const listing_shape& shape, listing& right_listing) {
    variant_coverage& v = report_.variants[i];
    std::optional<stream_check>& program = programs_[i];
    if (o.how == comparison::never_finishes) {
      if (program) program->end();
      v.caught_by = program ? program->first_failure() : std::nullopt;
      if (!v.caught_by) {
        v.caught_by = t;
        v.never_finishes = true;
      }
      program.reset();
      return;
    }
    if (o.how == comparison::same && !program) return;
    if (!program) program = right_;  // the check as it stands before this test case
    if (o.how == comparison::differs) {
      program->add(runs, listing_of(o.runs));
    } else if (program->at_boundary() && shape.reads_whole()) {
      program->add_passing();
    } else {
      program->add(runs, right_listing());
    }
    if (program->first_failure()) {
      v.caught_by = program->first_failure();
      program.reset();
    }
  }

  // What the key line just read holds that runcheck reads otherwise than
  // its author may mean.
  void key_line_warnings(const test_case& tc, std::int32_t t) {
    const std::size_t numbers = key_line_.count - (key_line_.last_token_blank ? 1 : 0);
    const bool more = numbers > static_cast<std::size_t>(tc.num_keys);
    const located_line at = lines_.at(tc.key_line_offset);
    const std::int64_t line = at.line;
    using kind = file_warning::kind;
    if (at.text.find('\t') != std::string_view::npos) {
      warn(report_.warnings, kind::key_line_tabs, t, line);
    } else if (has_text(at.text)) {
      warn(report_.warnings, kind::key_line_text, t, line);
    }
    if (more) warn(report_.warnings, kind::key_line_more_keys, t, line);
    // A read of 1999 characters leaves the rest of a longer line, which the
    // next count read takes; the line break alone it skips.
    if (key_line_.cut) {
      const located_line rest =
          lines_.at(tc.key_line_offset + static_cast<std::int64_t>(key_line_.chars_read));
      if (rest.text.find_first_not_of(" \t\r\v\f") != std::string_view::npos)
        warn(report_.warnings, kind::key_line_in_pieces, t, line);
    }
  }

  static bool has_text(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
      const std::size_t end = std::min(text.find(' ', i), text.size());
      const std::string_view token = text.substr(i, end - i);
      if (!token.empty() && token != "\n" && !converts_whole(token)) return true;
      i = end + 1;
    }
    return false;
  }

  coverage_report& report_;
  const key_line& key_line_;
  file_lines& lines_;
  const coverage_options& options_;
  stream_check right_;
  const runs_again_maker& again_;
  std::vector<std::optional<stream_check>> programs_;  // none: its file is the right one so far
  std::optional<std::int32_t> empty_first_run_;
  std::unique_ptr<key_line> check_line_;
};

// Keeps the stop that the diagnosis words for a run file, so that both say
// the same about a test-case file that stops runcheck.
class stop_keeper final : public report_printer {
 public:
  void file_begun(const file_summary& summary) override { stopped = summary.stopped; }
  void test_case(const file_summary& /*summary*/, const test_case_report& /*report*/) override {}
  void file_ended(const file_summary& /*summary*/) override {}

  std::optional<stop_report> stopped;
};

}  // namespace

std::int32_t coverage_report::caught() const {
  return static_cast<std::int32_t>(std::count_if(
      variants.begin(), variants.end(), [](const variant_coverage& v) { return v.caught_by; }));
}

std::int32_t coverage_report::exercised() const {
  return static_cast<std::int32_t>(std::count_if(
      rules.begin(), rules.end(), [](const rule_coverage& r) { return r.test_cases.count > 0; }));
}

int coverage_report::status() const {
  if (stopped || right_fails) return 2;
  return caught() == static_cast<std::int32_t>(variants.size()) ? 0 : 1;
}

coverage_report check_coverage(const std::string& test_case_file,
                               std::optional<std::string_view> text,
                               const coverage_options& options) {
  coverage_report report{.test_case_file = test_case_file};
  for (std::size_t r = 0; r < rule_count; ++r)
    report.rules.push_back({.what = static_cast<rule>(r)});
  for (const variant& v : known_variants())
    report.variants.push_back({.name = v.name, .description = v.description});

  stop why{.why = stop::reason::test_case_file_not_opened};
  std::optional<text_reader> input;
  // The file's lines, looked up again behind the reading.
  file_lines lines(test_case_file, text);
  if (text) {
    input = read_text(*text);
  } else {
    input = open_text_file(test_case_file.c_str(), &why.failure);
  }
  const runs_again_maker again = [&]() -> std::unique_ptr<runs_again> {
    return std::make_unique<file_runs_again>(text ? read_text(*text)
                                                  : open_text_file(test_case_file.c_str()));
  };
  const auto line = std::make_unique<key_line>();
  coverage_observer observer(report, *line, lines, options, again);
  std::optional<expected_runs> expected;
  if (input) {
    expected = generate_expected_runs(std::move(*input), *line, &observer, why, runs_kept::none);
  }
  if (!expected) {
    stop_keeper keeper;
    report_stopped(test_case_file, std::string(), why, keeper);
    report.stopped = keeper.stopped;
    return report;
  }
  observer.finish();
  if (expected->text_after >= 0) {
    const std::int64_t at = lines.at(expected->text_after).line;
    warn(report.warnings, file_warning::kind::text_after, report.num_test_cases - 1, at);
  }
  if (report.every_test_case_analysed()) {
    report.redundant = redundant_test_cases(report.catches);
    report.smallest_subset = smallest_cover(report.catches, report.keys_of);
  }
  return report;
}

std::string test_case_file_text(std::span<const std::vector<std::int32_t>> keys) {
  output out;
  out.put_int(std::ssize(keys)).put('\n');
  for (const auto& list : keys) {
    out.put_int(std::ssize(list)).put('\n');
    for (std::size_t i = 0; i < list.size(); ++i) {
      if (i > 0) out.put(' ');
      out.put_int(list[i]);
    }
    out.put('\n');
  }
  return out.text();
}

}  // namespace runcheck::explain
