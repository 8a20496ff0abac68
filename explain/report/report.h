// What runcheck-explain finds in one run file, as values, and the interface
// through which every printer receives them.
//
// The diagnosis (diagnosis.h) hands a printer one run file at a time:
// file_begun with what is known before checking (the files, the number of
// test cases, the file's hints and warnings, or why the check could not
// run), then every test case's report in file order as soon as it is
// checked, then file_ended with the summary complete: the verdict, the
// counts, and the faulty program that explains every failing test case, if
// one does. After the last run file (or none) the front end calls
// all_files_ended once, for what a printer says of the whole call. A printer
// formats what it is given and finds out nothing by itself.
//
// Numbering: test cases, runs and positions are indices from 0, as in the
// checker's reports (a person reads "test case 1" for index 0, "run 1 (the
// second run)" for run 1, "the fourth key" for position 3); line numbers
// count from 1, as editors show them, with 0 for a read that met the end of
// the file; steps of the generator count from 1.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"
#include "runs/limits.h"

namespace runcheck::explain {

// Caps on what one test case's report keeps; what goes past a cap is
// counted, never dropped without a word.
inline constexpr std::size_t max_kept_runs = 20;      // wrong runs
inline constexpr std::size_t max_kept_warnings = 20;  // warnings

// Failing test cases of a run file that are explained (why the expected key
// comes next) and compared with every faulty program. Past them a report
// holds the findings alone, and the summary counts the test cases so left;
// the faulty program said to explain every failing test case is still
// checked against each. A person reads the first few; a file of a million
// failing test cases is reported within three times runcheck's time.
inline constexpr std::int64_t max_explained_test_cases = 1000;

// What often goes wrong, named where it shows. A run file's report says
// each kind once, at the first line that calls for it; the summary counts
// the lines after it that call for it too (file_summary::repeated_hints).
struct hint {
  enum class kind {
    file_ends_early,   // the read met the end of the run file, short of its own counts
    text_for_count,    // text, not a number, stands where a count is due
    count_not_alone,   // a count line holds more than one number
    tabs,              // the line holds tabs, and only spaces separate keys
    commas,            // the line holds commas
    other_bytes,       // the line holds bytes that are not printable ASCII
    cr_line_ends,      // the line holds carriage returns without line feeds
    text_in_run_line,  // a run line holds `text`, a token that is no whole number
    blank_run_line,    // a blank line where a run with keys is due: it reads as the number 0
    long_line,         // 1999 characters or more: the check reads it in pieces
    runs_on_one_line,  // the line at `line` holds `runs` expected runs, from run `run` on
    run_split,         // the line at `line` and the next hold run `run` between them
    run_missing,       // the lines hold the runs before and after run `run`, not it
    empty_last_run,    // the line at `line`, after the last run, is an empty run
    key_per_line,      // from the line at `line` on, a line holds one key of the runs
  };
  kind what = kind::file_ends_early;
  // The line concerned, where it is not the finding's own; 0 for the
  // finding's.
  std::int64_t line = 0;
  std::int64_t run = 0;   // runs_on_one_line, run_split, run_missing: the run concerned
  std::int64_t runs = 0;  // runs_on_one_line: how many runs the line holds
  std::string text;       // text_in_run_line: the first token that is no whole number
};

// A hint kind said once in a run file, at `line`, that `more` lines after
// it called for too.
struct repeated_hint {
  hint::kind what = hint::kind::file_ends_early;
  std::int64_t line = 0;
  std::int64_t more = 0;
};

// What a whole file looks like, said once per file.
enum class file_hint {
  utf16,                // a byte order mark of UTF-16, or NUL bytes between characters
  cr_line_ends,         // lines end with a carriage return alone
  empty,                // the file holds nothing but white space
  looks_like_run_file,  // a test-case file whose second line holds several numbers
  same_file,            // one file given as both the test-case file and the run file
  test_case_file,       // the run file begins as the test-case file does: it holds test cases
};

// Where a finding stands in the run file.
struct file_place {
  std::int64_t line = 0;  // from 1; 0 when the read met the end of the file
  // The line from where the read began up to its line feed (a carriage
  // return before it dropped), at most the 1999 bytes a key-line read takes.
  std::string text;
  bool ends_file = false;  // the file ends within the line, without a line feed
};

struct count_finding {
  std::int32_t expected = 0;
  std::int32_t found = 0;
  bool holds_text = false;  // no number stands where the count is due: `found` is the check's 0
  file_place at;
  std::vector<hint> hints;  // in the order a person should read them
};

struct run_finding {
  std::int64_t run = 0;
  std::int64_t position = 0;  // the first position that differs
  std::int32_t expected = 0;
  std::optional<std::int32_t> found;  // none when the line ended before it
  // Every key of the expected run; none where it is left out for a student
  // (audience.h).
  std::optional<std::vector<std::int32_t>> expected_run;
  file_place at;  // `at.text` is the line as read
  std::vector<hint> hints;
};

// Why the expected key comes next: the generator's state at the pass that
// decides it, for the first wrong run of a test case read in step.
struct explanation {
  struct slot {
    enum class state { candidate, frozen, empty };
    std::int32_t key = 0;  // meaningless when empty
    state what = state::candidate;
  };
  // The rule that decides.
  enum class rule {
    smallest_not_frozen,  // `expected` is the smallest key not frozen: it comes next
    run_goes_on,          // the line ended, but `expected` is not frozen: the run goes on
    run_ends,  // every key left is frozen: the run ends, they melt, `expected` begins the next
  };
  // Where the key found is, at that pass: the first of its copies among the
  // test case's keys not written yet, or, where every copy was, the last.
  enum class place {
    none,          // no key was found: the line ended
    frozen,        // in the buffer, frozen: it is smaller than the last key written
    in_buffer,     // in the buffer, not frozen, and larger than `expected`
    never_chosen,  // in the buffer, but 32768 or more: never chosen
    to_be_read,    // not read into the buffer yet
    written,       // every copy already written, the last to run `found_run`
    not_a_key,     // not one of the test case's keys
  };
  std::int64_t run = 0;       // the wrong run
  std::int64_t position = 0;  // the position explained
  int step = 0;               // the pass that decides; `slots` are the buffer before it
  std::vector<slot> slots;
  std::optional<std::int32_t> last_key;  // the last key written to the run; none at its start
  rule why = rule::smallest_not_frozen;
  std::int32_t expected = 0;
  std::optional<std::int32_t> found;
  place found_at = place::none;
  std::int64_t found_run = 0;  // found_written > 0: the run its last copy written went to
  // Copies of `found` among the test case's keys, and how many of them were
  // written before that pass: the key found stands for copy
  // found_written + 1, as the runs before it hold the others.
  std::int32_t found_copies = 0;
  std::int32_t found_written = 0;
};

// The faulty programs whose runs these are (variants.h): every one that
// writes them, the most likely first.
struct variant_match {
  std::string_view name;  // the most likely, an identifier: "buffer_4"
  // All of them as one noun phrase: "a program with a buffer of 3 or 4 records".
  std::string description;
  std::vector<std::string_view> alternatives;  // every one's identifier, `name` first
};

struct warning {
  enum class kind {
    numbers_after_run,          // the run line at `line` holds numbers after run `run`'s last key
    keys_out_of_range,          // the test case has keys outside -1..32767
    budget_spent,               // its generation stopped at the 500th pass, keys left
    text_after_run_file,        // the run file holds text at `line`, after the last test case
    text_after_test_case_file,  // the test-case file holds text at `line`, after the last one
    no_test_cases,              // the test-case file holds no test case (file-wide)
  };
  kind what = kind::numbers_after_run;
  std::int64_t line = 0;
  std::int64_t run = 0;
};

// Whether a test case's count was read from the line where it stands in a
// file equal to the expected listing, shifted by the slips found in the
// file so far (in_step.h): in step, out of step, or may be out of step where
// that line cannot be told. Only a test case read in step is explained.
enum class step_state { in_step, out_of_step, may_be_out_of_step };

// The test case read in step after which the next one is not, and why: what
// its check read otherwise than a file holding the expected listing.
struct shift {
  enum class cause {
    count_too_large,      // more run lines read than it has runs: from `line` on, lines past them
    count_too_small,      // fewer run lines read than it has runs
    empty_first_run,      // its count read skipped its empty run lines, after `line`
    line_in_pieces,       // the run line at `line` was read in pieces
    lines_taken_as_runs,  // its lines were not its runs as its author meant (a blank line, ...)
  };
  cause why = cause::count_too_large;
  std::int64_t line = 0;
  // The line from which the next test case's count was read; 0 at the end
  // of the file.
  std::int64_t next_count_line = 0;
  // Where the next test case's count stands cannot be told: the test cases
  // after it may be read out of step.
  bool may_be = false;
};

// A test case's runs laid end to end, expected or as read from a run file:
// keys[ends[r - 1]] up to keys[ends[r]] are run r's (ends[-1] taken as 0).
struct laid_runs {
  std::vector<std::int32_t> keys;
  std::vector<std::size_t> ends;
};

struct test_case_report {
  std::int32_t test_case = 0;
  // runcheck's verdict, under --strict also failed by a warning.
  bool passed = false;
  bool failed_by_warning = false;  // runcheck passes it; --strict fails it for its warnings
  step_state step = step_state::in_step;
  std::optional<count_finding> count;    // when the count is wrong
  std::vector<run_finding> runs;         // the first max_kept_runs wrong runs
  std::int64_t more_runs = 0;            // wrong runs past those
  std::optional<explanation> why;        // the first wrong run's, when read in step
  std::optional<variant_match> variant;  // the faulty program whose runs these are
  // The runs held too many lines or numbers to compare with the faulty
  // programs' (a run file that announces a huge count, for example).
  bool variants_not_compared = false;
  std::vector<warning> warnings;  // the first max_kept_warnings
  std::int64_t more_warnings = 0;
  std::optional<shift> shifted;  // this test case put the file out of step
  // For a student (audience.h): the expected keys and counts are left out of
  // every finding, and `why` and the expected runs are gone.
  bool listing_hidden = false;
  // Under the independent score's rule, beside runcheck's verdict and never
  // changing it: runcheck's verdict, or for a test case read out of step,
  // passed where its expected lines stand exactly where its count stands.
  bool passed_independently = false;
  // Only when asked for (diagnosis_options::keep_runs), and only for a
  // failing test case that is explained (read in step, among the first
  // max_explained_test_cases): its expected runs, and its run lines as the
  // check read them, one run a line, at most as many as it has runs and
  // each cut at max_run_keys numbers (limits.h); fewer where the test case
  // read fewer run lines.
  laid_runs expected_runs;
  laid_runs read_runs;
  // The run lines could not all be kept (too many, or too many numbers):
  // `read_runs` is empty.
  bool read_runs_lost = false;
};

// Why a run file could not be checked.
struct stop_report {
  std::string message;    // runcheck's message, or what kept a file from opening
  std::string file;       // the file it concerns
  std::int64_t line = 0;  // from 1; 0 where no line applies
  platform::open_failure failure = platform::open_failure::none;  // a file that did not open
  std::vector<file_hint> hints;
  // A class list found two or more run files for the student, and checked
  // none (`message` names them).
  bool several_run_files = false;
};

struct file_summary {
  std::string test_case_file;
  std::string run_file;
  // The student the run file belongs to, where a class is graded (set by
  // the front end); empty otherwise.
  std::string student;
  std::optional<stop_report> stopped;
  std::int32_t passed = 0;        // complete at file_ended; counts up before
  std::int32_t total = 0;         // test cases in the test-case file
  bool strict = false;            // warnings fail their test case (and a file-wide one, the file)
  std::vector<file_hint> hints;   // the run file's, said once
  std::vector<warning> warnings;  // file-wide
  // file_ended only: the hints said once that lines after the first called
  // for too, in the order they were first said.
  std::vector<repeated_hint> repeated_hints;
  // file_ended only: the faulty program that explains every failing test case.
  std::optional<variant_match> variant;
  // file_ended only: failing test cases past max_explained_test_cases, neither
  // explained nor compared with the faulty programs one by one.
  std::int64_t unexplained = 0;
  // Test cases that pass under the independent score's rule
  // (test_case_report::passed_independently); counts up as `passed` does,
  // and is never below it.
  std::int32_t passed_independently = 0;

  // The exit status it calls for, at file_ended: 0 every test case passed,
  // 1 one failed, 2 the check could not run.
  int status() const {
    if (stopped) return 2;
    if (strict && !warnings.empty()) return 1;
    return passed == total ? 0 : 1;
  }
};

class report_printer {
 public:
  virtual ~report_printer() = default;

  virtual void file_begun(const file_summary& summary) = 0;
  virtual void test_case(const file_summary& summary, const test_case_report& report) = 0;
  virtual void file_ended(const file_summary& summary) = 0;
  // Once, after the last run file; nothing by default.
  virtual void all_files_ended() {}

 protected:
  report_printer() = default;
  report_printer(const report_printer&) = default;
  report_printer& operator=(const report_printer&) = default;
};

}  // namespace runcheck::explain
