#include "generation/record_buffer.h"

#include <gtest/gtest.h>

#include <vector>

namespace runcheck {
namespace {

record candidate(std::int32_t key) { return {key, 0, 0}; }
record frozen(std::int32_t key) { return {key, 1, 0}; }
record empty(std::int32_t key) { return {key, 0, 1}; }
record reset_slot() { return {0, 1, 1}; }

TEST(find_min_record, choices) {
  struct row {
    const char* name;
    std::vector<record> slots;
    int want;
  };
  const row rows[] = {
      {"lowest index wins a tie", {candidate(7), candidate(3), candidate(3), candidate(9)}, 1},
      {"only candidate at the ceiling", {candidate(32768)}, -1},
      {"just below the ceiling", {candidate(32767)}, 0},
      {"negative key", {candidate(2), candidate(-5)}, 1},
      {"frozen and empty slots are skipped", {frozen(1), empty(0), candidate(8)}, 2},
      {"nothing but frozen", {frozen(1), frozen(2)}, -1},
      {"no slots", {}, -1},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(r.want, find_min_record(r.slots));
  }
}

TEST(find_min_record, looks_only_at_the_slots_given) {
  const std::vector<record> slots = {candidate(5), candidate(1)};
  EXPECT_EQ(0, find_min_record(std::span(slots).first(1)));
}

TEST(all_frozen, patterns) {
  struct row {
    const char* name;
    std::vector<record> slots;
    bool want;
  };
  const row rows[] = {
      {"frozen, empty, frozen", {frozen(1), empty(2), frozen(3)}, true},
      {"frozen beside a candidate", {frozen(1), candidate(2)}, false},
      {"all empty", {empty(1), empty(2)}, false},
      {"one frozen", {frozen(4)}, true},
      {"candidate at the ceiling beside frozen", {frozen(1), candidate(32768)}, false},
      {"reset slots count as frozen", {reset_slot(), frozen(2)}, true},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(r.want, all_frozen(r.slots));
  }
}

TEST(melt_records, frozen_become_candidates_and_empty_stay_empty) {
  std::vector<record> slots = {frozen(4), empty(9), candidate(6)};
  melt_records(slots);
  EXPECT_EQ(4, slots[0].key);
  EXPECT_EQ(0, slots[0].frozen);
  EXPECT_EQ(0, slots[0].written);
  EXPECT_EQ(1, slots[1].written);
  EXPECT_EQ(0, slots[1].frozen);
  EXPECT_EQ(0, slots[2].frozen);
  EXPECT_EQ(0, slots[2].written);
}

}  // namespace
}  // namespace runcheck
