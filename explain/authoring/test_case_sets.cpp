#include "explain/authoring/test_case_sets.h"

#include <algorithm>
#include <bit>
#include <unordered_map>

namespace runcheck::explain {

test_case_list redundant_test_cases(std::span<const variant_set> catches) {
  // What the test cases after each one catch, so that "all the others" is
  // one OR of those before and those after.
  std::vector<variant_set> after(catches.size() + 1, 0);
  for (std::size_t t = catches.size(); t-- > 0;) after[t] = after[t + 1] | catches[t];
  test_case_list redundant;
  variant_set before = 0;
  for (std::size_t t = 0; t < catches.size(); ++t) {
    if ((catches[t] & ~(before | after[t + 1])) == 0) {
      if (redundant.first.size() < max_listed_test_cases)
        redundant.first.push_back(static_cast<std::int32_t>(t));
      ++redundant.count;
    }
    before |= catches[t];
  }
  return redundant;
}

namespace {

struct candidate {
  variant_set catches = 0;
  std::int32_t test_case = 0;
};

// Depth-first search for a cover of `left` with at most `depth` candidates:
// the lowest program left must be caught by one of them, so only the
// candidates that catch it are tried in its place.
class cover_search {
 public:
  explicit cover_search(std::span<const candidate> candidates) : candidates_(candidates) {}

  bool find(variant_set left, int depth, std::vector<std::int32_t>& chosen) {
    if (left == 0) return true;
    if (depth == 0 || ++steps_ > max_cover_steps) return false;
    int most = 0;  // the most one candidate catches of what is left
    for (const candidate& c : candidates_) most = std::max(most, std::popcount(c.catches & left));
    if (most * depth < std::popcount(left)) return false;
    const variant_set lowest = left & (~left + 1);
    for (const candidate& c : candidates_) {
      if ((c.catches & lowest) == 0) continue;
      chosen.push_back(c.test_case);
      if (find(left & ~c.catches, depth - 1, chosen)) return true;
      chosen.pop_back();
    }
    return false;
  }

  bool gave_up() const { return steps_ > max_cover_steps; }

 private:
  std::span<const candidate> candidates_;
  std::int64_t steps_ = 0;
};

}  // namespace

std::vector<std::int32_t> smallest_cover(std::span<const variant_set> catches,
                                         std::span<const std::int32_t> keys_of) {
  // One candidate per set of catches, the test case with the fewest keys.
  std::unordered_map<variant_set, std::int32_t> first;
  variant_set all = 0;
  for (std::size_t t = 0; t < catches.size(); ++t) {
    all |= catches[t];
    if (catches[t] == 0) continue;
    const auto [at, added] = first.try_emplace(catches[t], static_cast<std::int32_t>(t));
    if (!added && keys_of[t] < keys_of[static_cast<std::size_t>(at->second)])
      at->second = static_cast<std::int32_t>(t);
  }
  std::vector<candidate> candidates;
  candidates.reserve(first.size());
  for (const auto& [set, t] : first) candidates.push_back({.catches = set, .test_case = t});
  // Those that catch more first; ties by test case, so that the search does
  // not depend on the map's order.
  std::sort(candidates.begin(), candidates.end(), [](const candidate& a, const candidate& b) {
    const int pa = std::popcount(a.catches);
    const int pb = std::popcount(b.catches);
    return pa != pb ? pa > pb : a.test_case < b.test_case;
  });
  // A candidate whose catches another's hold is never needed.
  std::vector<candidate> kept;
  for (const candidate& c : candidates) {
    const bool held = std::any_of(kept.begin(), kept.end(), [&](const candidate& k) {
      return (c.catches & ~k.catches) == 0;
    });
    if (!held) kept.push_back(c);
  }
  // Greedily first: the most left caught at each step.
  std::vector<std::int32_t> greedy;
  for (variant_set left = all; left != 0;) {
    const auto best =
        std::max_element(kept.begin(), kept.end(), [&](const candidate& a, const candidate& b) {
          return std::popcount(a.catches & left) < std::popcount(b.catches & left);
        });
    greedy.push_back(best->test_case);
    left &= ~best->catches;
  }
  std::vector<std::int32_t> chosen;
  cover_search search(kept);
  for (int depth = 0; depth < std::ssize(greedy); ++depth) {
    chosen.clear();
    if (search.find(all, depth, chosen)) break;
    if (search.gave_up()) {
      chosen.clear();
      break;
    }
  }
  if (chosen.empty() && all != 0) chosen = greedy;
  std::sort(chosen.begin(), chosen.end());
  return chosen;
}

}  // namespace runcheck::explain
