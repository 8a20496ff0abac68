#include "explain/stress/test_files.h"

#include <algorithm>
#include <memory>

#include "check/run_file_checker.h"
#include "explain/authoring/make_tests.h"
#include "explain/authoring/seeded_numbers.h"
#include "generation/expected_runs.h"
#include "input/reading.h"
#include "runs/limits.h"
#include "runs/listing.h"

namespace runcheck::explain {

std::int64_t test_case_file::key_count() const {
  std::int64_t keys = 0;
  for (const std::vector<std::int32_t>& keys_of_case : test_cases) keys += std::ssize(keys_of_case);
  return keys;
}

std::string file_text(const test_case_file& file) {
  std::string text = std::to_string(file.test_cases.size());
  text += '\n';
  for (const std::vector<std::int32_t>& keys : file.test_cases) {
    text += std::to_string(keys.size());
    text += '\n';
    for (std::size_t i = 0; i < keys.size(); ++i) {
      if (i > 0) text += ' ';
      text += std::to_string(keys[i]);
    }
    text += '\n';
  }
  return text;
}

std::optional<test_case_file> read_test_case_file(std::string_view text) {
  stop why;
  std::optional<test_case_source> source = test_case_source::start(read_text(text), why);
  if (!source) return std::nullopt;
  const auto line = std::make_unique<key_line>();
  test_case_file file;
  while (source->read_so_far() < source->num_test_cases()) {
    const std::optional<test_case> tc = source->next(*line, why);
    if (!tc) return std::nullopt;
    file.test_cases.emplace_back(tc->keys.begin(), tc->keys.end());
  }
  return file;
}

namespace {

class ignoring_observer final : public check_observer {
 public:
  void count_read(const count_report& /*count*/) override {}
  void run_line_read(const run_line_report& /*line*/) override {}
  void wrong_run(const run_report& /*run*/) override {}
  void test_case_checked(const test_case_verdict& /*verdict*/) override {}
};

}  // namespace

bool fair_test(const test_case_file& file) {
  if (file.test_cases.empty()) return false;
  for (const std::vector<std::int32_t>& keys : file.test_cases)
    if (keys.empty()) return false;
  const std::string text = file_text(file);
  const auto line = std::make_unique<key_line>();
  stop why;
  const std::optional<expected_runs> expected =
      generate_expected_runs(read_text(text), *line, nullptr, why);
  if (!expected) return false;
  output listing;
  print_listing(listing, expected->table);
  text_reader run_file = read_text(listing.text());
  ignoring_observer observer;
  return check_run_file(run_file, expected->table, *line, observer).all_passed;
}

namespace {

using key_list = std::vector<std::int32_t>;

enum class shape {
  random,         // keys below a bound of 10 to 32768
  equal_keys,     // keys 0 to 3: many equal
  descending,     // random keys, sorted from the largest down
  nearly_sorted,  // ascending, with a few keys out of place
  edges,          // -1, 32767, and keys just outside -1..32767
  one_key,
  budget,  // enough keys to spend the 500 passes
  empty_first_run,
};
constexpr int shape_count = 8;

// A key just outside -1..32767, below or above.
std::int32_t outside(seeded_numbers& random) {
  return random.between(0, 1) == 0 ? random.between(-9, lowest_written_key - 1)
                                   : random.between(key_ceiling, key_ceiling + 9);
}

key_list make_keys(shape s, std::int32_t size, seeded_numbers& random) {
  key_list keys(static_cast<std::size_t>(size));
  switch (s) {
    case shape::random:
    case shape::descending:
    case shape::nearly_sorted: {
      constexpr std::int32_t bounds[] = {10, 100, 1000, key_ceiling};
      const std::int32_t bound = bounds[random.between(0, 3)];
      for (std::int32_t& k : keys) k = random.between(0, bound - 1);
      if (s == shape::descending) std::sort(keys.rbegin(), keys.rend());
      if (s == shape::nearly_sorted) {
        std::sort(keys.begin(), keys.end());
        for (int swaps = random.between(1, 3); swaps > 0; --swaps)
          std::swap(keys[static_cast<std::size_t>(random.between(0, size - 1))],
                    keys[static_cast<std::size_t>(random.between(0, size - 1))]);
      }
      break;
    }
    case shape::equal_keys:
    case shape::budget:
      for (std::int32_t& k : keys) k = random.between(0, s == shape::budget ? 9 : 3);
      break;
    case shape::edges:
      for (std::int32_t& k : keys) {
        switch (random.between(0, 4)) {
          case 0:
            k = lowest_written_key;
            break;
          case 1:
            k = highest_written_key;
            break;
          case 2:
            k = outside(random);
            break;
          default:
            k = random.between(0, 20);
        }
      }
      break;
    case shape::one_key:
      keys = {random.between(0, 3) == 0 ? highest_written_key : random.between(-1, 9)};
      break;
    case shape::empty_first_run:
      // The buffer's first keys all outside the range: nothing is written.
      for (std::size_t i = 0; i < keys.size(); ++i)
        keys[i] = i < buffer_capacity ? outside(random) : random.between(0, 9);
      break;
  }
  // The key line read whole: at most 1999 characters.
  std::size_t length = 0;
  for (std::size_t i = 0; i < keys.size(); ++i) {
    length += std::to_string(keys[i]).size() + (i > 0 ? 1 : 0);
    if (length >= read_str_size) {
      keys.resize(i);
      break;
    }
  }
  return keys;
}

// A random file for test `number`: more and longer test cases as the
// number grows, up to 8 test cases of up to 800 keys, and now and then one
// that spends the budget.
test_case_file random_file(seeded_numbers& random, std::int64_t number) {
  const auto level = static_cast<std::int32_t>(std::min<std::int64_t>(number, 200));
  test_case_file file;
  const std::int32_t cases = random.between(1, 1 + std::min(7, level / 8));
  for (std::int32_t c = 0; c < cases; ++c) {
    auto s = static_cast<shape>(random.between(0, shape_count - 1));
    // An empty first run only in the last test case, and the budget once the
    // files have grown.
    if ((s == shape::empty_first_run && c + 1 < cases) || (s == shape::budget && level < 40))
      s = shape::random;
    const std::int32_t size =
        s == shape::budget ? random.between(600, 990) : random.between(1, 4 + 4 * level);
    file.test_cases.push_back(make_keys(s, size, random));
  }
  return file;
}

}  // namespace

test_case_file stress_test_file(std::uint64_t seed, std::int64_t number) {
  if (number <= 1) {
    std::optional<test_case_file> made = read_test_case_file(make_test_case_file(seed));
    if (made && fair_test(*made)) return *made;
  }
  // Each number its own stream of numbers, so that a test can be made alone.
  seeded_numbers random(seed ^ (static_cast<std::uint64_t>(number) * 0xD1B54A32D192ED03U));
  random.next();
  constexpr int attempts = 20;
  for (int attempt = 0; attempt < attempts; ++attempt) {
    test_case_file file = random_file(random, number);
    if (fair_test(file)) return file;
  }
  return {.test_cases = {{random.between(0, 9)}}};
}

}  // namespace runcheck::explain
