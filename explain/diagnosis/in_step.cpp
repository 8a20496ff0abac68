#include "explain/diagnosis/in_step.h"

#include <algorithm>
#include <string_view>

#include "explain/diagnosis/line_text.h"

namespace runcheck::explain {

namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

bool count_line_alone(const located_line& at) {
  const std::string_view token = first_token(at.text);
  return at.line > 0 && at.starts_line && token_count(at.text) == 1 && starts_with_number(token) &&
         std::all_of(token.begin() + 1, token.end(),
                     [](char c) { return is_digit(c) || c == '\t' || c == '\r'; });
}

void in_step_tracker::checked_as_listed() {
  pending_in_step_ = current_;
  pending_kept_ = true;
  pending_shift_ = {.why = shift::cause::lines_taken_as_runs};
}

void in_step_tracker::checked(const test_case_reading& reading) {
  pending_in_step_ = current_;
  // A count read at the end of the file took nothing out of place either.
  pending_kept_ = (!reading.count_wrong && !reading.cut_line && !reading.swallowed) ||
                  (reading.count_wrong && reading.count_line == 0);
  if (reading.count_too_large) {
    pending_shift_ = {.why = shift::cause::count_too_large, .line = reading.past_line};
  } else if (reading.count_wrong) {
    pending_shift_ = {.why = shift::cause::count_too_small};
  } else if (reading.cut_line) {
    pending_shift_ = {.why = shift::cause::line_in_pieces, .line = *reading.cut_line};
  } else if (reading.swallowed) {
    pending_shift_ = {.why = shift::cause::empty_first_run, .line = reading.count_line};
  } else {
    // Its lines were taken whole, as many as it has runs, but not as its
    // author meant them: a blank line, two runs on one line (the hints say).
    pending_shift_ = {.why = shift::cause::lines_taken_as_runs};
  }
}

std::optional<shift> in_step_tracker::next_count(const count_report* next, line_locator& file) {
  const bool kept = pending_in_step_ && pending_kept_;
  bool next_in_step = kept && next != nullptr && next->found == next->expected;
  std::int64_t next_line = -1;
  if (next != nullptr && !next_in_step) {
    // Read from a line of its own: a count line, however written (where the
    // lines before were taken as the listing's are, a line of one word is
    // this test case's count line too, only not a number, and the end of the
    // file is where the file ends).
    const located_line at = file.locate(next->offset);
    next_line = at.line;
    next_in_step = count_line_alone(at) ||
                   (kept && (at.line == 0 || (at.starts_line && token_count(at.text) <= 1)));
  }
  std::optional<shift> shifted;
  if (next != nullptr && pending_in_step_ && !next_in_step) {
    shifted = pending_shift_;
    if (shifted->why == shift::cause::count_too_small) shifted->line = next_line;
    shifted->next_count_line = next_line;
  }
  current_ = next_in_step;
  return shifted;
}

}  // namespace runcheck::explain
