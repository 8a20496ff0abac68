#include "explain/diagnosis/hints.h"

#include <algorithm>
#include <string>
#include <utility>

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

bool begins_as(std::string_view run_head, std::string_view test_case_head) {
  return !test_case_head.empty() && run_head.starts_with(test_case_head);
}

namespace {

// Digits and spaces alone, as a program writes its runs: nothing in it for
// a hint on bytes or text. One pass, where the hints' own take several.
bool digits_and_spaces(std::string_view text) {
  return std::all_of(text.begin(), text.end(),
                     [](char c) { return c == ' ' || (c >= '0' && c <= '9'); });
}

}  // namespace

void add_text_hints(const file_place& at, bool utf16, std::vector<hint>& hints,
                    bool may_end_early) {
  if (at.line == 0 && may_end_early) hints.push_back(hint{.what = hint::kind::file_ends_early});
  if (digits_and_spaces(at.text)) return;
  if (at.text.find('\t') != std::string::npos) hints.push_back(hint{.what = hint::kind::tabs});
  if (at.text.find(',') != std::string::npos) hints.push_back(hint{.what = hint::kind::commas});
  if (lone_carriage_return(at.text)) hints.push_back(hint{.what = hint::kind::cr_line_ends});
  if (!utf16 && has_other_bytes(at.text)) hints.push_back(hint{.what = hint::kind::other_bytes});
}

std::string_view first_text_token(std::string_view text) {
  if (digits_and_spaces(text)) return {};
  while (!text.empty()) {
    const std::size_t end = std::min(text.find(' '), text.size());
    const std::string_view token = text.substr(0, end);
    text.remove_prefix(std::min(end + 1, text.size()));
    if (token.empty() || converts_whole(token)) continue;
    // Printable ASCII but a comma: what is left is text, not a separator.
    if (std::all_of(token.begin(), token.end(),
                    [](char c) { return c > ' ' && c < '\x7f' && c != ','; }))
      return token;
  }
  return {};
}

void set_count_hints(count_finding& count, bool utf16, bool may_end_early) {
  const std::string_view text = count.at.text;
  count.hints.clear();
  count.holds_text = count.at.line > 0 && !starts_with_number(text);
  if (count.holds_text) {
    if (!utf16) count.hints.push_back(hint{.what = hint::kind::text_for_count});
  } else if (count.at.line > 0 && token_count(text) > 1) {
    count.hints.push_back(hint{.what = hint::kind::count_not_alone});
  }
  add_text_hints(count.at, utf16, count.hints, may_end_early);
}

void set_run_hints(run_finding& run, std::optional<std::int64_t> long_line, bool utf16,
                   bool may_end_early) {
  run.hints.clear();
  if (run.at.line > 0 && first_token(run.at.text).empty() && run.expected_run &&
      !run.expected_run->empty())
    run.hints.push_back(hint{.what = hint::kind::blank_run_line});
  if (const std::string_view token = first_text_token(run.at.text); !token.empty())
    run.hints.push_back(hint{.what = hint::kind::text_in_run_line, .text = std::string(token)});
  // A line cut short by the end of the file.
  if (run.at.ends_file && !run.found && may_end_early)
    run.hints.push_back(hint{.what = hint::kind::file_ends_early});
  if (long_line) run.hints.push_back(hint{.what = hint::kind::long_line, .line = *long_line});
  add_text_hints(run.at, utf16, run.hints, may_end_early);
}

namespace {

bool is_structure(hint::kind k) {
  return k == hint::kind::runs_on_one_line || k == hint::kind::run_split;
}

}  // namespace

bool names_a_slip(hint::kind k) {
  return is_structure(k) || k == hint::kind::run_missing || k == hint::kind::empty_last_run ||
         k == hint::kind::key_per_line;
}

void add_structure_hint(test_case_report& report, const hint& structure) {
  const bool makes_count_wrong = structure.what == hint::kind::runs_on_one_line ||
                                 structure.what == hint::kind::run_missing ||
                                 structure.what == hint::kind::empty_last_run;
  if (report.count && makes_count_wrong) {
    report.count->hints.push_back(structure);
    return;
  }
  const auto after = std::find_if(report.runs.begin(), report.runs.end(),
                                  [&](const run_finding& w) { return w.run >= structure.run; });
  if (after != report.runs.end()) after->hints.push_back(structure);
}

void drop_structure_hints(test_case_report& report) {
  const auto drop = [](std::vector<hint>& hints) {
    std::erase_if(hints, [](const hint& h) { return is_structure(h.what); });
  };
  if (report.count) drop(report.count->hints);
  for (run_finding& run : report.runs) drop(run.hints);
}

void hint_tally::say_once(test_case_report& report) {
  if (report.count) take(report.count->hints, report.count->at.line);
  for (run_finding& run : report.runs) take(run.hints, run.at.line);
}

void hint_tally::take(std::vector<hint>& hints, std::int64_t finding_line) {
  std::size_t kept = 0;
  for (hint& h : hints) {
    const std::int64_t line = h.line > 0 ? h.line : finding_line;
    const auto known = std::find_if(said_.begin(), said_.end(),
                                    [&](const said& s) { return s.counted.what == h.what; });
    if (known == said_.end()) {
      said_.push_back({.counted = {.what = h.what, .line = line}, .last_line = line});
      if (&hints[kept] != &h) hints[kept] = std::move(h);
      ++kept;
    } else if (line != known->last_line && line > 0) {  // the end of the file is no line
      ++known->counted.more;
      known->last_line = line;
    }
  }
  hints.resize(kept);
}

std::vector<repeated_hint> hint_tally::repeated() const {
  std::vector<repeated_hint> found;
  for (const said& s : said_) {
    if (s.counted.more > 0) found.push_back(s.counted);
  }
  return found;
}

}  // namespace runcheck::explain
