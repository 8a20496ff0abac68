// The keys of a run file's failing test cases, read again from the
// test-case file by one more forward reader, only as far as they are asked
// for.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "generation/expected_runs.h"
#include "input/reading.h"

namespace runcheck::explain {

class test_case_keys {
 public:
  // The file at `test_case_file`, opened at the first call.
  explicit test_case_keys(std::string test_case_file) : path_(std::move(test_case_file)) {}

  // The keys of test case `t` (from 0), which must not come before the one
  // asked for last; empty when they cannot be had. Valid until the next call.
  std::span<const std::int32_t> of(std::int32_t t);

 private:
  std::string path_;
  std::optional<test_case_source> source_;
  std::unique_ptr<key_line> line_;
  std::span<const std::int32_t> keys_;
  bool failed_ = false;
};

}  // namespace runcheck::explain
