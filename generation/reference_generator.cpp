#include "generation/reference_generator.h"

#include <algorithm>

namespace runcheck {

reference_generator::reference_generator(std::span<const std::int32_t> keys,
                                         const selection_rules& rules)
    : keys_(keys), rules_(rules), last_key_(rules.run_start_key) {
  // Fewer keys than slots: only as many slots as keys are used, unless the
  // others stay in use with the key 0.
  const auto capacity = static_cast<std::size_t>(std::clamp(rules.buffer_size, 1, max_buffer_size));
  const std::size_t loaded = std::min(capacity, keys.size());
  size_ = rules.empty_slots_hold_zero ? capacity : loaded;
  for (std::size_t i = 0; i < size_; ++i)
    slots_[i] = record{.key = i < loaded ? keys[i] : 0, .frozen = 0, .written = 0};
  read_count_ = static_cast<std::int32_t>(loaded);
}

std::optional<pass_report> reference_generator::next_pass() {
  const int spent =
      rules_.budget_counts == selection_rules::budget_count::passes ? steps_ : write_count_;
  if (finished_ || spent >= rules_.step_budget) return std::nullopt;
  pass_report pass{.step = ++steps_};
  const std::span<record> in_use(slots_.data(), size_);
  const int i = find_min_record(in_use, rules_.key_ceiling);
  if (i >= 0) {
    record& slot = slots_[static_cast<std::size_t>(i)];
    pass.slot = i;
    pass.key = slot.key;
    using equal_key = selection_rules::equal_key;
    const bool freeze =
        slot.key < last_key_ ||
        (slot.key == last_key_ && (rules_.equal_keys == equal_key::frozen_at_run_start ||
                                   (rules_.equal_keys == equal_key::frozen && run_has_key_)));
    if (freeze) {
      pass.what = pass_report::action::froze;
      slot.frozen = 1;
      return pass;
    }
    pass.what = pass_report::action::wrote;
    ++write_count_;
    last_key_ = slot.key;
    run_has_key_ = true;
    slot.written = 1;
    if (static_cast<std::size_t>(read_count_) < keys_.size()) {
      // The next key of the list takes the place of the key just written.
      slot =
          record{.key = keys_[static_cast<std::size_t>(read_count_++)], .frozen = 0, .written = 0};
      pass.loaded = slot.key;
    }
  } else if (all_frozen(in_use)) {
    pass.what = pass_report::action::melted;
    melt_records(in_use);
    ++run_count_;
    run_has_key_ = false;
    if (rules_.last_key_reset_at_melt) last_key_ = rules_.run_start_key;
  } else {
    pass.what = pass_report::action::finished;
    finished_ = true;
  }
  return pass;
}

run_list reference_runs(std::span<const std::int32_t> keys, const selection_rules& rules) {
  run_list runs(1);
  reference_generator generator(keys, rules);
  while (const std::optional<pass_report> pass = generator.next_pass()) {
    if (pass->what == pass_report::action::wrote) runs.back().push_back(pass->key);
    if (pass->what == pass_report::action::melted) runs.emplace_back();
  }
  return runs;
}

}  // namespace runcheck
