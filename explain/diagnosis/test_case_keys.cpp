#include "explain/diagnosis/test_case_keys.h"

namespace runcheck::explain {

std::span<const std::int32_t> test_case_keys::of(std::int32_t t) {
  if (!source_ && !failed_) {
    stop ignored;
    source_ = test_case_source::open(path_.c_str(), ignored);
    line_ = std::make_unique<key_line>();
    failed_ = !source_;
  }
  while (source_ && source_->read_so_far() <= t) {
    stop ignored;
    keys_ = {};
    if (const std::optional<test_case> tc = source_->next(*line_, ignored)) {
      keys_ = tc->keys;
    } else {
      source_.reset();
      failed_ = true;
    }
  }
  return source_ && source_->read_so_far() == t + 1 ? keys_ : std::span<const std::int32_t>{};
}

}  // namespace runcheck::explain
