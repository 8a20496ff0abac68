#include "explain/stress/shrink.h"

#include <algorithm>
#include <string>
#include <unordered_map>
#include <vector>

#include "runs/limits.h"

namespace runcheck::explain {

namespace {

using indices = std::vector<std::size_t>;

class shrinker {
 public:
  shrinker(const test_case_file& failing, const shrink_predicate& fails, int max_runs)
      : fails_(fails), max_runs_(max_runs), file_(failing) {
    seen_.emplace(file_text(failing), true);
  }

  // Whether `candidate` fails the same way; it becomes the file when it does.
  bool accept(const test_case_file& candidate) {
    if (cut_short_ || !fair_test(candidate)) return false;
    std::string text = file_text(candidate);
    if (const auto known = seen_.find(text); known != seen_.end()) {
      if (known->second) file_ = candidate;
      return known->second;
    }
    if (runs_ >= max_runs_) {
      cut_short_ = true;
      return false;
    }
    ++runs_;
    const shrink_answer answer = fails_(candidate);
    if (answer == shrink_answer::stop) {
      cut_short_ = true;
      return false;
    }
    const bool failed = answer == shrink_answer::same_failure;
    seen_.emplace(std::move(text), failed);
    if (failed) file_ = candidate;
    return failed;
  }

  // Drops parts of `parts` while the file that `build` makes of the rest
  // fails, chunks of halving size first (delta debugging's complements),
  // one part at a time last; from one part at a time at once where
  // `singly`. Gives the parts kept.
  indices reduce(indices parts, const std::function<test_case_file(const indices&)>& build,
                 bool singly) {
    std::size_t n = singly ? parts.size() : 2;
    while (!parts.empty()) {
      n = std::min(n, parts.size());
      const std::size_t chunk = (parts.size() + n - 1) / n;
      bool dropped = false;
      for (std::size_t start = 0; start < parts.size() && !dropped; start += chunk) {
        indices rest(parts.begin(), parts.begin() + static_cast<std::ptrdiff_t>(start));
        rest.insert(
            rest.end(),
            parts.begin() + static_cast<std::ptrdiff_t>(std::min(parts.size(), start + chunk)),
            parts.end());
        if (accept(build(rest))) {
          parts = std::move(rest);
          n = std::max<std::size_t>(n - 1, 2);
          dropped = true;
        } else if (cut_short_) {
          return parts;
        }
      }
      if (!dropped) {
        if (n >= parts.size()) break;
        n = std::min(parts.size(), n * 2);
      }
    }
    return parts;
  }

  // Drops test cases; gives true when one went.
  bool drop_test_cases(bool singly) {
    const test_case_file whole = file_;
    indices all(whole.test_cases.size());
    for (std::size_t i = 0; i < all.size(); ++i) all[i] = i;
    const indices kept = reduce(
        all,
        [&](const indices& parts) {
          test_case_file candidate;
          for (const std::size_t i : parts) candidate.test_cases.push_back(whole.test_cases[i]);
          return candidate;
        },
        singly);
    return kept.size() < all.size();
  }

  // Drops keys of each test case in turn; gives true when one went.
  bool drop_keys(bool singly) {
    bool any = false;
    for (std::size_t t = 0; t < file_.test_cases.size() && !cut_short_; ++t) {
      const test_case_file whole = file_;
      const std::vector<std::int32_t>& keys = whole.test_cases[t];
      indices all(keys.size());
      for (std::size_t i = 0; i < all.size(); ++i) all[i] = i;
      const indices kept = reduce(
          all,
          [&](const indices& parts) {
            test_case_file candidate = whole;
            candidate.test_cases[t].clear();
            for (const std::size_t i : parts) candidate.test_cases[t].push_back(keys[i]);
            return candidate;
          },
          singly);
      any = any || kept.size() < all.size();
    }
    return any;
  }

  // Lowers the keys: ranks them (ranked()), all of them where the program
  // still fails, else those that are not at or past the edges of -1..32767;
  // then merges each value into the next smaller one where the program
  // still fails, from the top down so that a merge leaves the values below
  // it as they were, and ranks again.
  void lower_values() {
    if (!accept(ranked(file_, false))) accept(ranked(file_, true));
    const std::vector<std::int32_t> values = distinct_values(file_);
    for (std::size_t i = values.size(); i-- > 1 && !cut_short_;) {
      test_case_file merged = file_;
      for (std::vector<std::int32_t>& keys : merged.test_cases)
        std::replace(keys.begin(), keys.end(), values[i], values[i - 1]);
      accept(merged);
    }
    if (!accept(ranked(file_, false))) accept(ranked(file_, true));
  }

  static std::vector<std::int32_t> distinct_values(const test_case_file& file) {
    std::vector<std::int32_t> values;
    for (const std::vector<std::int32_t>& keys : file.test_cases)
      values.insert(values.end(), keys.begin(), keys.end());
    std::sort(values.begin(), values.end());
    values.erase(std::unique(values.begin(), values.end()), values.end());
    return values;
  }

  // Every value becomes its rank among the file's values, from 1; or,
  // `keeping_edges`, only the values in -1..32767 but those two, while keys
  // below -1 become -2, -3, ... and keys above 32767 become 32768, 32769,
  // ..., in the same order.
  static test_case_file ranked(const test_case_file& file, bool keeping_edges) {
    const std::vector<std::int32_t> values = distinct_values(file);
    const auto below = std::lower_bound(values.begin(), values.end(), lowest_written_key);
    const auto above = std::upper_bound(values.begin(), values.end(), highest_written_key);
    // The first value in range but -1.
    const auto first = below != values.end() && *below == lowest_written_key ? below + 1 : below;
    test_case_file result = file;
    for (std::vector<std::int32_t>& keys : result.test_cases) {
      for (std::int32_t& k : keys) {
        const auto at = std::lower_bound(values.begin(), values.end(), k);
        if (!keeping_edges) {
          k = 1 + static_cast<std::int32_t>(at - values.begin());
        } else if (k < lowest_written_key) {
          k = lowest_written_key - static_cast<std::int32_t>(below - at);
        } else if (k > highest_written_key) {
          k = highest_written_key + 1 + static_cast<std::int32_t>(at - above);
        } else if (k != lowest_written_key && k != highest_written_key) {
          k = 1 + static_cast<std::int32_t>(at - first);
        }
      }
    }
    return result;
  }

  shrink_result finish() const { return {.file = file_, .runs = runs_, .cut_short = cut_short_}; }
  bool cut_short() const { return cut_short_; }
  const test_case_file& file() const { return file_; }

 private:
  const shrink_predicate& fails_;
  int max_runs_;
  int runs_ = 0;
  bool cut_short_ = false;
  test_case_file file_;
  std::unordered_map<std::string, bool> seen_;  // each file tried: whether it failed
};

}  // namespace

shrink_result shrink(const test_case_file& failing, const shrink_predicate& fails, int max_runs,
                     std::optional<std::size_t> first_failing) {
  shrinker s(failing, fails, max_runs);
  if (first_failing && *first_failing < failing.test_cases.size() && failing.test_cases.size() > 1)
    s.accept({.test_cases = {failing.test_cases[*first_failing]}});
  s.drop_test_cases(false);
  s.drop_keys(false);
  s.lower_values();
  // One at a time until nothing more goes: a key dropped or a value lowered
  // may let another go.
  while (!s.cut_short()) {
    const bool cases = s.drop_test_cases(true);
    const bool keys = s.drop_keys(true);
    if (!cases && !keys) break;
  }
  return s.finish();
}

}  // namespace runcheck::explain
