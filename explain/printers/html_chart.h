// The chart of a failing test case on the HTML page: an SVG drawing of its
// expected runs (key against position in the output, each run in its own
// colour and mark shape), the keys read drawn over them where they differ,
// and the first wrong key marked. Every number the drawing holds is one of
// the chart's constants or worked out from them (html_chart.cpp).
#pragma once

#include <string_view>

#include "explain/report/report.h"
#include "platform/output.h"

namespace runcheck::explain {

// The chart of `report`, which holds its runs (expected_runs, read_runs),
// with `label` (any bytes) as what a screen reader says of it.
void put_chart(output& out, const test_case_report& report, std::string_view label);

// Where run `r` of `runs` starts among their keys.
inline std::size_t run_start(const laid_runs& runs, std::size_t r) {
  return r == 0 ? 0 : runs.ends[r - 1];
}

}  // namespace runcheck::explain
