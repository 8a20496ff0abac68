// What the grading formats share: a run file's verdict as a class list shows
// it, the independent score as a fraction, each format's exit status, and
// the messages a run file's report makes for an instructor and a student.
// Any printer, and any table of submissions, can use these.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "explain/cli/options.h"
#include "explain/printers/text_printer.h"
#include "explain/report/report.h"
#include "platform/output.h"

namespace runcheck::explain {

// A submission's verdict in a class list, from its summary at file_ended.
enum class submission_verdict {
  passed,      // every test case passed
  failed,      // a test case failed
  missing,     // the run file does not exist
  unreadable,  // the run file exists but cannot be read (a folder, no permission, ...)
  stopped,     // the test-case file cannot be used: no run file could be checked
};
submission_verdict verdict_of(const file_summary& summary);
std::string_view name_of(submission_verdict verdict);

// The independent score as a fraction from 0 to 1: test cases passed
// independently over all; 1 for a file checked against no test case that
// passes, 0 for a file not checked.
double independent_fraction(const file_summary& summary);

// The fraction written with at most four decimals ("0.75", "1", "0").
std::string fraction_text(double fraction);

// The exit status of `f` for `status`, the worst of the run files' (0 every
// test case passed, 1 one failed, 2 a check could not run); the one place
// where each format's convention lives.
int exit_status(format f, int status);

// Where a message is capped: a contest checker's message, and the results
// files (JSON) of the autograders.
inline constexpr std::size_t checker_message_cap = 32000;
inline constexpr std::size_t results_file_cap = 1000000;

// A run file's text report for one reader, as the text printer words it,
// kept in memory up to a cap; what goes past it is cut at a UTF-8 boundary
// and a note says so, within the cap.
class message {
 public:
  message(audience who, std::size_t cap) : who_(who), cap_(cap) {}

  void file_begun(const file_summary& summary);
  void test_case(const file_summary& summary, const test_case_report& report);
  // Ends the message with the summary line.
  void file_ended(const file_summary& summary);

  const std::string& text() const { return kept_; }
  bool cut() const { return cut_; }

 private:
  void take();

  audience who_;
  std::size_t cap_;
  output written_;
  text_printer printer_{written_};
  std::string kept_;
  bool cut_ = false;
};

// One test case's block of the text report, for `who`; empty when it
// passed without a word.
std::string test_case_text(const file_summary& summary, const test_case_report& report,
                           audience who);

// `text` on one line: line breaks and the indentation after them as " / ",
// at most `cap` bytes, cut with a note.
std::string one_line(std::string_view text, std::size_t cap);

}  // namespace runcheck::explain
