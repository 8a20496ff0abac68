#include "explain/diagnosis/explanation.h"

#include <algorithm>

#include "generation/reference_generator.h"
#include "runs/limits.h"

namespace runcheck::explain {

namespace {

void copy_slots(std::span<const record> slots, std::vector<explanation::slot>& into) {
  using state = explanation::slot::state;
  into.clear();
  for (const record& r : slots) {
    into.push_back({.key = r.key,
                    .what = r.written  ? state::empty
                            : r.frozen ? state::frozen
                                       : state::candidate});
  }
}

// Where `e.found` stands at the pass explained, of its copies among `keys`
// the first not written yet (`e.found_written` of them were, the last to
// `written_run`), or the last written, where every copy was.
void place_found(explanation& e, std::span<const std::int32_t> keys, std::int32_t read_count,
                 std::int64_t written_run) {
  using place = explanation::place;
  e.found_at = place::none;
  e.found_copies = 0;
  if (!e.found) return;
  const std::int32_t f = *e.found;
  e.found_copies = static_cast<std::int32_t>(std::count(keys.begin(), keys.end(), f));
  if (e.found_copies == 0) {
    e.found_at = place::not_a_key;
    return;
  }
  if (e.found_written > 0) e.found_run = written_run;
  if (e.found_written == e.found_copies) {
    e.found_at = place::written;
    return;
  }
  // A copy not written is in the buffer or still to be read: a frozen copy
  // and one not frozen are never there at once before a write, since a key
  // is frozen only below the run's last key, and every candidate left is
  // at least the key about to be written.
  for (const explanation::slot& s : e.slots) {
    if (s.what == explanation::slot::state::empty || s.key != f) continue;
    if (s.what == explanation::slot::state::frozen) {
      e.found_at = place::frozen;
    } else {
      e.found_at = f >= key_ceiling ? place::never_chosen : place::in_buffer;
    }
    return;
  }
  const auto unread = keys.subspan(static_cast<std::size_t>(read_count));
  e.found_at = std::find(unread.begin(), unread.end(), f) != unread.end() ? place::to_be_read
                                                                          : place::not_a_key;
}

}  // namespace

bool explain_position(std::span<const std::int32_t> keys, std::int64_t run, std::int64_t position,
                      std::optional<std::int32_t> found, explanation& e) {
  using action = pass_report::action;
  reference_generator generator(keys);
  std::int64_t current_run = 0;
  std::int64_t at = 0;  // the position the next key written takes in the current run
  std::optional<std::int32_t> last_key;
  std::int32_t found_written = 0;      // copies of `found` written so far
  std::int64_t found_written_run = 0;  // the run the last of them went to
  for (;;) {
    // The state before a pass that may decide, kept: the passes up to the
    // next write or melt, once the run and position are reached.
    const bool may_decide =
        (current_run == run && at == position) || (position == 0 && current_run + 1 == run);
    std::optional<reference_generator> before;
    if (may_decide) before = generator;
    const std::optional<pass_report> pass = generator.next_pass();
    if (!pass) return false;
    const bool decides_write = pass->what == action::wrote && current_run == run && at == position;
    const bool decides_melt =
        pass->what == action::melted && current_run + 1 == run && position == 0;
    if (decides_write || decides_melt) {
      e.run = run;
      e.position = position;
      e.step = pass->step;
      copy_slots(before->slots(), e.slots);
      e.last_key = last_key;
      e.found = found;
      e.found_run = 0;
      if (decides_melt) {
        e.why = explanation::rule::run_ends;
        // The run that begins: its first key is the one the next write gives.
        reference_generator ahead = generator;
        std::optional<pass_report> next = ahead.next_pass();
        while (next && next->what == action::froze) next = ahead.next_pass();
        if (!next || next->what != action::wrote) return false;
        e.expected = next->key;
      } else {
        e.why = found ? explanation::rule::smallest_not_frozen : explanation::rule::run_goes_on;
        e.expected = pass->key;
      }
      e.found_written = found_written;
      place_found(e, keys, before->read_count(), found_written_run);
      return true;
    }
    if (pass->what == action::wrote) {
      if (found && pass->key == *found) {
        ++found_written;
        found_written_run = current_run;
      }
      last_key = pass->key;
      ++at;
    } else if (pass->what == action::melted) {
      ++current_run;
      at = 0;
      last_key.reset();
    }
  }
}

}  // namespace runcheck::explain
