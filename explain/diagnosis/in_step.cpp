#include "explain/diagnosis/in_step.h"

#include "explain/diagnosis/layout.h"
#include "input/reading.h"

namespace runcheck::explain {

namespace {

// A line that holds one number and nothing else, from its start.
bool number_alone(const located_line& at) {
  return at.line > 0 && at.starts_line && token_count(at.text) == 1 &&
         converts_whole(first_token(at.text));
}

}  // namespace

bool in_step_tracker::lined_up(std::int64_t line, const run_set& expected) {
  lines_.keep_from(line);
  return block_at(lines_, line, expected);
}

void in_step_tracker::checked(const run_set& expected, const test_case_reading& reading) {
  expected_ = expected;
  reading_ = reading;
}

in_step_tracker::settled in_step_tracker::next_count(const count_report* next,
                                                     const run_set* next_expected,
                                                     line_locator& file) {
  settled out;
  const located_line at = next != nullptr ? file.locate(next->offset) : located_line{};
  // Where the next count stands: where it is read, after a test case read
  // in step as a listing is and a next count that is right and alone on its
  // line (the common case); else after this test case's block.
  const bool as_read = state_ == step_state::in_step && reading_.as_listed &&
                       !reading_.count_like_run && next != nullptr &&
                       next->found == next->expected && number_alone(at);
  std::optional<std::int64_t> next_place;
  // After the last test case only a test case read out of step wants its
  // place: to be found again there.
  const bool wanted = next != nullptr || state_ == step_state::out_of_step;
  if (!as_read && wanted && place_ != place::unknown) {
    if (place_ == place::where_read) {
      place_line_ = lines_.line_of(reading_.count_offset);
      place_ = place::on_line;
    }
    lines_.keep_from(place_line_);
    if (state_ == step_state::out_of_step)
      out.found_again = block_at(lines_, place_line_, expected_);
    next_place = next_count_line(lines_, place_line_, expected_, next_expected);
  }
  if (next == nullptr) return out;
  // The next count stands one line after this one at least.
  if (place_ == place::on_line) earliest_line_ = place_line_ == 0 ? 0 : place_line_ + 1;
  if (place_ == place::unknown && earliest_line_ > 0) ++earliest_line_;

  step_state next_state = step_state::in_step;
  std::int64_t next_line = 0;
  taken_as_read_ = as_read;
  if (as_read) {
    place_ = place::where_read;
  } else {
    next_line = at.line;
    const bool starts_line = at.line == 0 || at.starts_line;
    if (next_place) {
      place_ = place::on_line;
      place_line_ = *next_place;
      if (at.line != *next_place || !starts_line) next_state = step_state::out_of_step;
      if (*next_place > 0) lines_.keep_from(*next_place);
    } else if (at.line > 0 && starts_line && next_expected != nullptr &&
               lined_up(at.line, *next_expected)) {
      // Back in step: its expected lines stand where it is read.
      place_ = place::on_line;
      place_line_ = at.line;
    } else {
      place_ = place::unknown;
      const bool too_early = earliest_line_ > 0 && at.line > 0 && at.line < earliest_line_;
      next_state = too_early ? step_state::out_of_step : step_state::may_be_out_of_step;
    }
  }
  if (state_ == step_state::in_step && next_state != step_state::in_step) {
    shift& s = out.shifted.emplace(reading_.cause);
    if (s.why == shift::cause::count_too_small) s.line = next_line;
    s.next_count_line = next_line;
    s.may_be = next_state == step_state::may_be_out_of_step;
  }
  state_ = next_state;
  return out;
}

void in_step_tracker::recheck(std::int64_t count_offset, const run_set& expected) {
  if (!taken_as_read_) return;
  taken_as_read_ = false;
  const std::int64_t before = lines_.line_of(reading_.count_offset);
  lines_.keep_from(before);
  const std::int64_t count_line = lines_.line_of(count_offset, false);
  const std::optional<std::int64_t> place = next_count_line(lines_, before, expected_, &expected);
  if (place == count_line) {
    place_ = place::on_line;
    place_line_ = count_line;
  } else if (place) {
    place_ = place::on_line;
    place_line_ = *place;
    state_ = step_state::out_of_step;
    earliest_line_ = before + 1;
  } else {
    place_ = place::unknown;
    state_ = step_state::may_be_out_of_step;
    earliest_line_ = before + 1;
  }
}

}  // namespace runcheck::explain
