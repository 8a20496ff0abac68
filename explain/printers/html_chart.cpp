#include "explain/printers/html_chart.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <iterator>

#include "explain/printers/sentences.h"
#include "explain/report/encoding.h"

namespace runcheck::explain {

namespace {

// The chart's frame and marks, in the drawing's own units.
constexpr double width = 720;
constexpr double height = 250;
constexpr double left = 56;    // room for the keys' labels
constexpr double right = 14;   // room for the last position's label
constexpr double top = 26;     // room for the runs' labels
constexpr double bottom = 34;  // room for the positions' labels and the axis's title
constexpr double inset = 9;    // between the key axis and the first mark
constexpr double font_size = 11;
constexpr double label_gap = 6;        // between a key's label and the axis; the title and the edge
constexpr double run_label_rise = 8;   // a run's label above the plot
constexpr double run_label_room = 34;  // the least stretch that takes a run's label
constexpr double top_label_drop = 4;   // the highest key's label, below the top
constexpr double position_label_drop = 14;  // the positions' labels, below the axis
constexpr double key_title_x = 14;          // the key axis's title, turned, from the left edge
// A mark's radius: this fraction of the step between positions, within
// these bounds.
constexpr double mark_fraction = 0.45;
constexpr double smallest_mark = 1.5;
constexpr double largest_mark = 4;
constexpr double ring_gap = 5;  // between the first wrong key's mark and its ring
constexpr double cross_stroke = 1.3;
constexpr double ring_stroke = 2.5;
constexpr double dash = 4;      // the first wrong key's line: dashes
constexpr double dash_gap = 3;  // and the gaps between them

// Worked out from those.
constexpr double plot_width = width - left - right - 2 * inset;
constexpr double plot_height = height - top - bottom;
constexpr double axis_y = height - bottom;  // the position axis
constexpr double right_edge = width - right;

// Colours that stay apart for colour-blind readers (Okabe and Ito), and mark
// shapes, so that runs read apart in black and white too.
constexpr std::string_view colours[] = {"#0072b2", "#d55e00", "#009e73",
                                        "#cc79a7", "#e69f00", "#56b4e9"};
constexpr int shapes = 4;  // circle, square, triangle, diamond

// A coordinate with one decimal.
void put_number(output& out, double value) {
  const auto tenths = static_cast<std::int64_t>(std::lround(value * 10));
  if (tenths < 0 && tenths > -10) out.put('-');
  out.put_int(tenths / 10);
  const std::int64_t digit = std::abs(tenths % 10);
  if (digit != 0) out.put('.').put(static_cast<char>('0' + digit));
}

// Words as they stand and numbers as coordinates, one after the other.
void put_all(output& /*out*/) {}
template <typename... rest>
void put_all(output& out, std::string_view words, const rest&... more);
template <typename... rest>
void put_all(output& out, double number, const rest&... more) {
  put_number(out, number);
  put_all(out, more...);
}
template <typename... rest>
void put_all(output& out, std::string_view words, const rest&... more) {
  out.put(words);
  put_all(out, more...);
}

// A mark of `shape` centred on (x, y), of radius r, as a path's commands.
void put_mark(output& out, int shape, double x, double y, double r) {
  switch (shape) {
    case 0:  // a circle, as two arcs (no rotation, the large arc, anticlockwise)
      put_all(out, "M", x - r, " ", y, "a", r, " ", r, " 0 1 0 ", 2 * r, " 0a", r, " ", r,
              " 0 1 0 ", -2 * r, " 0");
      break;
    case 1:  // a square
      put_all(out, "M", x - r, " ", y - r, "h", 2 * r, "v", 2 * r, "h", -2 * r, "z");
      break;
    case 2:  // a triangle
      put_all(out, "M", x, " ", y - r, "l", r, " ", 2 * r, "h", -2 * r, "z");
      break;
    default:  // a diamond
      put_all(out, "M", x, " ", y - r, "l", r, " ", r, "l", -r, " ", r, "l", -r, " ", -r, "z");
      break;
  }
}

// Where the chart puts positions and keys.
struct scale {
  std::size_t positions = 1;  // along the axis, at least one
  std::int32_t low = 0;       // the keys at the bottom and the top
  std::int32_t high = 0;
  double step = 0;  // between positions
  double r = 0;     // a mark's radius

  double x_of(std::size_t i) const {
    return left + inset + (positions > 1 ? step * static_cast<double>(i) : plot_width / 2);
  }
  // A key outside low..high stands at the edge.
  double y_of(std::int32_t k) const {
    const double clamped = std::clamp<double>(k, low, high);
    return top + plot_height - (clamped - low) * plot_height / (double(high) - low);
  }
};

// The scale that holds the expected keys, every position read and the
// first wrong key's; each read run is drawn from its expected run's start.
scale scale_of(const test_case_report& report) {
  const laid_runs& expected = report.expected_runs;
  const laid_runs& read = report.read_runs;
  scale s;
  std::size_t n = expected.keys.size();
  for (std::size_t r = 0; r < read.ends.size() && r < expected.ends.size(); ++r) {
    n = std::max(n, run_start(expected, r) + read.ends[r] - run_start(read, r));
  }
  if (!report.runs.empty()) {
    const auto run = static_cast<std::size_t>(report.runs[0].run);
    if (run < expected.ends.size())
      n = std::max(
          n, run_start(expected, run) + static_cast<std::size_t>(report.runs[0].position) + 1);
  }
  s.positions = std::max<std::size_t>(n, 1);
  s.low = expected.keys.empty() ? 0 : expected.keys[0];
  s.high = s.low;
  for (const std::int32_t k : expected.keys) {
    s.low = std::min(s.low, k);
    s.high = std::max(s.high, k);
  }
  if (s.low == s.high) {
    --s.low;
    ++s.high;
  }
  s.step = s.positions > 1 ? plot_width / static_cast<double>(s.positions - 1) : 0;
  s.r = std::clamp(s.positions > 1 ? s.step * mark_fraction : largest_mark, smallest_mark,
                   largest_mark);
  return s;
}

// Every other run's stretch shaded, with the run's number above it; an
// empty run has no stretch.
void put_run_stretches(output& out, const laid_runs& expected, const scale& s) {
  const double half = std::max(s.step / 2, s.r + 1);
  for (std::size_t run = 0; run < expected.ends.size(); ++run) {
    const std::size_t first = run_start(expected, run);
    if (expected.ends[run] == first) continue;
    const double x0 = std::max(left, s.x_of(first) - half);
    const double x1 = std::min(right_edge, s.x_of(expected.ends[run] - 1) + half);
    if (run % 2 == 1) {
      put_all(out, R"(<rect x=")", x0, R"(" y=")", top, R"(" width=")", x1 - x0, R"(" height=")",
              plot_height, R"(" fill="#f0f0f0"/>)");
    }
    if (x1 - x0 >= run_label_room) {
      put_all(out, R"(<text x=")", (x0 + x1) / 2, R"(" y=")", top - run_label_rise,
              R"(" font-size=")", font_size, R"(" text-anchor="middle">run )");
      out.put_int(static_cast<std::int64_t>(run)).put("</text>");
    }
  }
}

// The axes, with the lowest and highest key and the first and last
// position, and their titles.
void put_axes(output& out, const scale& s) {
  put_all(out, "\n<path d=\"M", left, " ", top, "V", axis_y, "H", right_edge,
          R"(" fill="none" stroke="#444"/>)");
  put_all(out, R"(<text x=")", left - label_gap, R"(" y=")", top + top_label_drop,
          R"(" font-size=")", font_size, R"(" text-anchor="end">)");
  out.put_int(s.high);
  put_all(out, R"(</text><text x=")", left - label_gap, R"(" y=")", axis_y, R"(" font-size=")",
          font_size, R"(" text-anchor="end">)");
  out.put_int(s.low);
  put_all(out, R"(</text><text x=")", left, R"(" y=")", axis_y + position_label_drop,
          R"(" font-size=")", font_size, R"(">0</text>)");
  put_all(out, R"(<text x=")", right_edge, R"(" y=")", axis_y + position_label_drop,
          R"(" font-size=")", font_size, R"(" text-anchor="end">)");
  out.put_int(static_cast<std::int64_t>(s.positions - 1));
  put_all(out, R"(</text><text x=")", (left + right_edge) / 2, R"(" y=")", height - label_gap,
          R"(" font-size=")", font_size, R"(" text-anchor="middle">)");
  out.put("position in the output</text>");
  const double middle = (top + axis_y) / 2;
  put_all(out, R"(<text x=")", key_title_x, R"(" y=")", middle, R"(" font-size=")", font_size,
          R"(" text-anchor="middle" transform="rotate(-90 )", key_title_x, " ", middle,
          ")\">key</text>\n");
}

// The keys read where they differ from the expected, as crosses.
void put_crosses(output& out, const laid_runs& expected, const laid_runs& read, const scale& s) {
  put_all(out, R"(<path fill="none" stroke="#000" stroke-width=")", cross_stroke, R"(" d=")");
  const double r = s.r;
  for (std::size_t run = 0; run < read.ends.size() && run < expected.ends.size(); ++run) {
    const std::size_t from = run_start(expected, run);
    const std::size_t expected_size = expected.ends[run] - from;
    const std::size_t read_from = run_start(read, run);
    for (std::size_t i = 0; i < read.ends[run] - read_from; ++i) {
      const std::int32_t k = read.keys[read_from + i];
      if (i < expected_size && expected.keys[from + i] == k) continue;
      put_all(out, "M", s.x_of(from + i) - r, " ", s.y_of(k) - r, "l", 2 * r, " ", 2 * r, "m",
              -2 * r, " 0l", 2 * r, " ", -2 * r);
    }
  }
  out.put("\"/>\n");
}

// The first wrong key: a line down its position and a ring round the key
// found (or the expected key, where the line ended).
void put_first_wrong_key(output& out, const test_case_report& report, const scale& s) {
  const laid_runs& expected = report.expected_runs;
  if (report.runs.empty()) return;
  const run_finding& first = report.runs[0];
  const auto run = static_cast<std::size_t>(first.run);
  if (run >= expected.ends.size()) return;
  const double x = s.x_of(run_start(expected, run) + static_cast<std::size_t>(first.position));
  const double y = s.y_of(first.found.value_or(first.expected));
  out.put(R"(<g class="marked"><title>line )").put_int(first.at.line).put(", run ");
  out.put_int(first.run).put(", the ").put(ordinal(first.position + 1)).put(" key: expected ");
  out.put_int(first.expected).put(", found ");
  if (first.found) {
    out.put_int(*first.found);
  } else {
    out.put("nothing");
  }
  put_all(out, R"(</title><path stroke="#9b1c1c" stroke-dasharray=")", dash, " ", dash_gap,
          R"(" d="M)", x, " ", top, "V", axis_y, R"("/><circle cx=")", x, R"(" cy=")", y,
          R"(" r=")", s.r + ring_gap, R"(" fill="none" stroke="#9b1c1c" stroke-width=")",
          ring_stroke, "\"/></g>\n");
}

}  // namespace

void put_chart(output& out, const test_case_report& report, std::string_view label) {
  const laid_runs& expected = report.expected_runs;
  const scale s = scale_of(report);
  put_all(out, R"(<svg class="chart" viewBox="0 0 )", width, " ", height,
          R"(" role="img" aria-label=")");
  put_xml_escaped(out, label);
  out.put("\" xmlns=\"http://www.w3.org/2000/svg\">\n");
  put_run_stretches(out, expected, s);
  put_axes(out, s);
  // The expected runs: one path per run.
  for (std::size_t run = 0; run < expected.ends.size(); ++run) {
    out.put(R"(<path fill=")").put(colours[run % std::size(colours)]).put(R"(" d=")");
    for (std::size_t i = run_start(expected, run); i < expected.ends[run]; ++i) {
      put_mark(out, static_cast<int>(run % shapes), s.x_of(i), s.y_of(expected.keys[i]), s.r);
    }
    out.put("\"/>\n");
  }
  put_crosses(out, expected, report.read_runs, s);
  put_first_wrong_key(out, report, s);
  out.put("</svg>\n");
}

}  // namespace runcheck::explain
