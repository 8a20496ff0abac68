// The hints: what often goes wrong in a run file, named with the finding
// whose line shows it, in the order a person should read them. Each
// function looks at what a finding holds and nothing else.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "explain/report/report.h"

namespace runcheck::explain {

// A byte order mark of UTF-16, or NUL bytes between the characters: ASCII
// text in UTF-16 is half NUL bytes.
bool looks_like_utf16(std::string_view head);

// What a file's first bytes say of the whole file: UTF-16, or lines that
// end with a carriage return alone.
std::vector<file_hint> hints_of_head(std::string_view head);

// True when a run file's first bytes, `run_head`, begin with the whole of
// `test_case_head`, the test-case file's first bytes (not empty): the run
// file holds test cases.
bool begins_as(std::string_view run_head, std::string_view test_case_head);

// The hints a place's text calls for, added to `hints`: the file ended
// (where `may_end_early`), tabs, commas, carriage returns alone, other
// bytes. A file that looks like UTF-16 (`utf16`) has its own hint, which
// says why its lines hold other bytes. The end of the file is the file
// ending short of its own counts only where the test case is read in step,
// and the file's lines end with line feeds: `may_end_early`.
void add_text_hints(const file_place& at, bool utf16, std::vector<hint>& hints,
                    bool may_end_early = true);

// The first token of a run line's text, cut at spaces as the key-line read
// cuts it, that is no whole number and holds only printable ASCII: a word,
// "2.0", "1:". Tokens with tabs, commas or other bytes are left to their own
// hints. Empty where there is none.
std::string_view first_text_token(std::string_view text);

// Sets a wrong count's hints, and whether it holds text: text where the
// count is due, or more than the count on its line, then those of its text.
void set_count_hints(count_finding& count, bool utf16, bool may_end_early = true);

// Sets a wrong run's hints: a blank line where a run with keys is due, text
// in the line, a line cut short by the end of the file, the line at
// `long_line` (this run's or the one before) read in pieces, then those of
// its text.
void set_run_hints(run_finding& run, std::optional<std::int64_t> long_line, bool utf16,
                   bool may_end_early = true);

// Adds a hint on the lines' structure or a slip they show (runs_on_one_line,
// run_split, run_missing, empty_last_run, key_per_line) to the finding it
// explains: to the count, when it is wrong, for those that make a count
// wrong (two runs on one line, a run left out, an empty run after the
// last); else to the first wrong run at or after the hint's run. Where there
// is no such finding, the hint is not said.
void add_structure_hint(test_case_report& report, const hint& structure);

// True for the hints that name a slip in a test case's lines as a whole
// (runs_on_one_line, run_split, run_missing, empty_last_run, key_per_line).
bool names_a_slip(hint::kind k);

// Removes the structure hints (runs_on_one_line, run_split) of a report:
// where a faulty program is recognised, its lines are the runs it wrote.
void drop_structure_hints(test_case_report& report);

// Says each hint kind once in a run file: a report's hints of a kind said
// before are taken out of it and counted, by the lines that call for them
// (a line once; the end of the file is no line).
class hint_tally {
 public:
  // Takes out of `report` the hints of kinds said in the reports before.
  void say_once(test_case_report& report);

  // The kinds said once that more lines called for, in the order first said.
  std::vector<repeated_hint> repeated() const;

 private:
  void take(std::vector<hint>& hints, std::int64_t finding_line);

  struct said {
    repeated_hint counted;
    std::int64_t last_line = 0;  // the last line counted, so a line counts once
  };
  std::vector<said> said_;  // in the order first said; a few kinds at most
};

}  // namespace runcheck::explain
