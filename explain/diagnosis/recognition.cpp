#include "explain/diagnosis/recognition.h"

namespace runcheck::explain {

std::optional<variant_match> program_recognition::compare(std::span<const std::int32_t> keys,
                                                          const laid_runs& runs,
                                                          bool edges_matter) {
  const variant* match = recognise(keys, runs, edges_matter);
  // One program for every failing test case: the first one's, if every
  // later one holds its runs too.
  if (failing_ == 0) {
    file_program_ = match;
    if (match == nullptr) possible_ = false;
  } else if (file_program_ != nullptr && match != file_program_ &&
             !writes(*file_program_, keys, runs)) {
    possible_ = false;
  }
  ++failing_;
  if (match == nullptr) return std::nullopt;
  return variant_match{match->name, match->description};
}

void program_recognition::compare_with_file_program(std::span<const std::int32_t> keys,
                                                    const laid_runs& runs) {
  possible_ = file_program_open() && writes(*file_program_, keys, runs);
  ++failing_;
}

void program_recognition::not_compared() {
  possible_ = false;
  ++failing_;
}

std::optional<variant_match> program_recognition::file_program() const {
  if (!possible_ || file_program_ == nullptr || failing_ == 0) return std::nullopt;
  return variant_match{file_program_->name, file_program_->description};
}

}  // namespace runcheck::explain
