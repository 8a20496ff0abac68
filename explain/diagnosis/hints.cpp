#include "explain/diagnosis/hints.h"

#include <algorithm>
#include <string>

#include "explain/diagnosis/line_text.h"
#include "explain/report/encoding.h"

namespace runcheck::explain {

bool looks_like_utf16(std::string_view head) {
  if (head.starts_with("\xff\xfe") || head.starts_with("\xfe\xff")) return true;
  if (head.find('\0') == std::string_view::npos) return false;  // the common case, at once
  const auto nul = static_cast<std::size_t>(std::count(head.begin(), head.end(), '\0'));
  return nul * 3 >= head.size();
}

std::vector<file_hint> hints_of_head(std::string_view head) {
  std::vector<file_hint> hints;
  if (looks_like_utf16(head)) hints.push_back(file_hint::utf16);
  if (head.find('\n') == std::string_view::npos && head.find('\r') != std::string_view::npos)
    hints.push_back(file_hint::cr_line_ends);
  return hints;
}

void add_text_hints(const file_place& at, bool utf16, std::vector<hint>& hints) {
  if (at.line == 0) hints.push_back(hint{.what = hint::kind::file_ends_early});
  if (at.text.find('\t') != std::string::npos) hints.push_back(hint{.what = hint::kind::tabs});
  if (at.text.find(',') != std::string::npos) hints.push_back(hint{.what = hint::kind::commas});
  if (lone_carriage_return(at.text)) hints.push_back(hint{.what = hint::kind::cr_line_ends});
  if (!utf16 && has_other_bytes(at.text)) hints.push_back(hint{.what = hint::kind::other_bytes});
}

void set_count_hints(count_finding& count, bool utf16) {
  const std::string_view text = count.at.text;
  count.hints.clear();
  if (count.at.line > 0 && !starts_with_number(text)) {
    if (!utf16) count.hints.push_back(hint{.what = hint::kind::text_for_count});
  } else if (count.at.line > 0 && token_count(text) > 1) {
    count.hints.push_back(hint{.what = hint::kind::count_not_alone});
  }
  add_text_hints(count.at, utf16, count.hints);
}

void set_run_hints(run_finding& run, std::optional<std::int64_t> long_line, bool utf16) {
  run.hints.clear();
  if (run.at.line > 0 && token_count(run.at.text) == 0 && run.expected_run &&
      !run.expected_run->empty())
    run.hints.push_back(hint{.what = hint::kind::blank_run_line});
  // A line cut short by the end of the file.
  if (run.at.ends_file && !run.found)
    run.hints.push_back(hint{.what = hint::kind::file_ends_early});
  if (long_line) run.hints.push_back(hint{.what = hint::kind::long_line, .line = *long_line});
  add_text_hints(run.at, utf16, run.hints);
}

void add_structure_hint(test_case_report& report, const hint& structure) {
  if (report.count && structure.what == hint::kind::runs_on_one_line) {
    report.count->hints.push_back(structure);
    return;
  }
  const auto after = std::find_if(report.runs.begin(), report.runs.end(),
                                  [&](const run_finding& w) { return w.run >= structure.run; });
  if (after != report.runs.end()) after->hints.push_back(structure);
}

}  // namespace runcheck::explain
