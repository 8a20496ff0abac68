// The numbers of a seed: splitmix64, the same numbers from the same seed
// with every compiler and library, which the distributions of <random> do
// not promise. Made test-case files (make-tests, --stress) draw from it, so
// that a seed names the same file everywhere.
#pragma once

#include <cstdint>

namespace runcheck::explain {

class seeded_numbers {
 public:
  explicit seeded_numbers(std::uint64_t seed) : state_(seed) {}

  std::uint64_t next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EB;
    return z ^ (z >> 31);
  }

  // A number from `low` to `high`, both included.
  std::int32_t between(std::int32_t low, std::int32_t high) {
    const auto span = static_cast<std::uint64_t>(std::int64_t{high} - low + 1);
    return static_cast<std::int32_t>(low + static_cast<std::int64_t>(next() % span));
  }

 private:
  std::uint64_t state_;
};

}  // namespace runcheck::explain
