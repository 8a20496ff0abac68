// The messages a run file's report makes for an instructor and a student, as
// the text printer words them, capped for the systems that show them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "explain/printers/text_printer.h"
#include "explain/report/audience.h"
#include "explain/report/report.h"
#include "platform/output.h"

namespace runcheck::explain {

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
