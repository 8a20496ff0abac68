// Why a run holds the key it does at a position: the generator with the
// right rules replayed on the test case's keys up to the pass that decides
// that position, and where a key found there instead stands at that pass.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "explain/report/report.h"

namespace runcheck::explain {

// Puts into `e` the explanation of position `position` of run `run` (both
// from 0) of the runs of `keys`, where `found` was read instead (none: the
// line ended). False, `e` unspecified, when the runs of `keys` have no such
// position.
bool explain_position(std::span<const std::int32_t> keys, std::int64_t run, std::int64_t position,
                      std::optional<std::int32_t> found, explanation& e);

}  // namespace runcheck::explain
