#include "explain/render.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "explain/line_locator.h"

namespace runcheck::explain {

namespace {

constexpr std::size_t none = std::numeric_limits<std::size_t>::max();

bool count_wrong(const test_case_report& tc) { return tc.count.found != tc.count.expected; }

// The test case after which the file is read out of step, or `none`: the
// first whose count is wrong, or whose first run is empty (its count read
// skips the empty run lines) while a later test case fails. Only a test case
// with another after it counts.
std::size_t out_of_step_cause(const file_report& report, const run_table& table) {
  const auto& cases = report.test_cases;
  std::size_t last_failure = none;
  for (std::size_t t = 0; t < cases.size(); ++t) {
    if (!cases[t].passed) last_failure = t;
  }
  for (std::size_t t = 0; t + 1 < cases.size(); ++t) {
    if (count_wrong(cases[t])) return t;
    const bool empty_first_run = run_length(table[static_cast<std::int32_t>(t)], 1) == 0;
    if (empty_first_run && last_failure != none && last_failure > t) return t;
  }
  return none;
}

bool looks_like_utf16(std::string_view head) {
  return head.starts_with("\xff\xfe") || head.starts_with("\xfe\xff") ||
         head.find('\0') != std::string_view::npos;
}

std::string stop_message(const file_report& report) {
  output text;
  put_stop_message(text, *report.stopped, {report.test_case_file.c_str(), report.run_file.c_str()});
  std::string message = text.text();
  if (message.ends_with('\n')) message.pop_back();
  return message;
}

const std::string& stop_file(const file_report& report) {
  return report.stopped->why == stop::reason::run_file_not_opened ? report.run_file
                                                                  : report.test_case_file;
}

std::int64_t stop_line(const file_report& report) {
  if (report.stopped->offset < 0) return 0;
  line_locator file(open_text_file(report.test_case_file.c_str()));
  return file.locate(report.stopped->offset).line;
}

// Length of the valid UTF-8 sequence at the start of `s` (s[0] >= 0x80), or
// 0 when there is none: no overlong forms, surrogates or values past U+10FFFF.
std::size_t utf8_sequence(std::string_view s) {
  const auto lead = static_cast<unsigned char>(s[0]);
  std::size_t n = 0;
  std::uint32_t value = 0;
  if (lead >= 0xc2 && lead <= 0xdf) {
    n = 2;
    value = lead & 0x1fU;
  } else if (lead >= 0xe0 && lead <= 0xef) {
    n = 3;
    value = lead & 0x0fU;
  } else if (lead >= 0xf0 && lead <= 0xf4) {
    n = 4;
    value = lead & 0x07U;
  } else {
    return 0;
  }
  if (s.size() < n) return 0;
  for (std::size_t k = 1; k < n; ++k) {
    const auto c = static_cast<unsigned char>(s[k]);
    if ((c & 0xc0U) != 0x80U) return 0;
    value = (value << 6U) | (c & 0x3fU);
  }
  if (n == 3 && (value < 0x800 || (value >= 0xd800 && value <= 0xdfff))) return 0;
  if (n == 4 && (value < 0x10000 || value > 0x10ffff)) return 0;
  return n;
}

// ---- text ----

// Printable text as it stands; a tab as \t, and control bytes, DEL and
// bytes that are not valid UTF-8 as \xNN.
void put_escaped(output& out, std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    const auto c = static_cast<unsigned char>(text[i]);
    const std::size_t n = c >= 0x80 ? utf8_sequence(text.substr(i)) : 1;
    if (c == '\t') {
      out.put("\\t");
    } else if (c < 0x20 || c == 0x7f || n == 0) {
      constexpr char hex[] = "0123456789abcdef";
      out.put("\\x").put(hex[c >> 4]).put(hex[c & 15]);
    } else {
      out.put(text.substr(i, n));
    }
    i += std::max<std::size_t>(n, 1);
  }
}

// Items [0, n) around position p, p in brackets: a few on either side,
// "..." where more are left out. A p at or past n is the end of the line.
template <typename put_item>
void put_window(output& out, std::size_t n, std::size_t p, const put_item& put) {
  constexpr std::size_t side = 4;
  const std::size_t first = std::min(n, p > side ? p - side : 0);
  const std::size_t last = std::min(n, p + side + 1);
  if (first > 0) out.put("... ");
  for (std::size_t i = first; i < last; ++i) {
    if (i > first) out.put(' ');
    if (i == p) out.put('[');
    put(i);
    if (i == p) out.put(']');
  }
  if (last < n) out.put(" ...");
  if (p >= n) out.put(first < n ? " [end of line]" : "[end of line]");
}

std::vector<std::string_view> tokens_of(std::string_view text) {
  std::vector<std::string_view> tokens;
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t end = std::min(text.find(' ', i), text.size());
    if (end > i) tokens.push_back(text.substr(i, end - i));
    i = end + 1;
  }
  return tokens;
}

void put_token(output& out, std::string_view token) {
  constexpr std::size_t longest = 24;
  put_escaped(out, token.substr(0, longest));
  if (token.size() > longest) out.put("...");
}

void put_where(output& out, const place& at) {
  if (at.line > 0) {
    out.put("  line ").put_int(at.line).put(": ");
  } else {
    out.put("  end of file: ");
  }
}

void put_line_hints(output& out, const place& at) {
  if (at.line == 0) out.put("    hint: the run file ends early; is it complete?\n");
  if (at.text.find('\t') != std::string_view::npos) {
    out.put("    hint: only spaces separate keys, and this line holds tabs\n");
  }
  if (at.text.find(',') != std::string_view::npos) {
    out.put("    hint: only spaces separate keys, and this line holds commas\n");
  }
}

void put_count(output& out, const test_case_report& tc, line_locator& runs) {
  const place at = runs.locate(tc.count.offset);
  put_where(out, at);
  out.put("the number of runs is wrong: expected ")
      .put_int(tc.count.expected)
      .put(", found ")
      .put_int(tc.count.found)
      .put("\n");
  if (at.line == 0) {
    put_line_hints(out, at);
    return;
  }
  out.put("    read:     ");
  const std::vector<std::string_view> tokens = tokens_of(at.text);
  put_window(out, tokens.size(), 0, [&](std::size_t i) { put_token(out, tokens[i]); });
  out.put("\n");
  if (tokens.size() > 1) {
    out.put(
        "    hint: a count stands alone on its line, and this line holds more than one number\n");
  }
  put_line_hints(out, at);
}

void put_run(output& out, const run_report& run, const run_set& expected, line_locator& runs) {
  const place at = runs.locate(run.offset);
  put_where(out, at);
  out.put("run ").put_int(run.run).put(" is wrong at position ").put_int(run.position);
  out.put(": expected ").put_int(run.expected);
  if (run.found) {
    out.put(", found ").put_int(*run.found);
  } else {
    out.put(at.line > 0 ? ", but the line ends before it" : ", but the file has ended");
  }
  out.put("\n    expected: ");
  const auto keys = run_keys(expected, run.run + 1);
  const auto p = static_cast<std::size_t>(run.position);
  put_window(out, keys.size(), p, [&](std::size_t i) { out.put_int(keys[i]); });
  out.put("\n    read:     ");
  if (at.line > 0) {
    const std::vector<std::string_view> tokens = tokens_of(at.text);
    put_window(out, tokens.size(), p, [&](std::size_t i) { put_token(out, tokens[i]); });
  } else {
    out.put("nothing");
  }
  out.put("\n");
  put_line_hints(out, at);
}

void put_out_of_step_note(output& out, const file_report& report, std::size_t t,
                          line_locator& runs) {
  out.put("  note: ");
  if (!count_wrong(report.test_cases[t])) {
    out.put("its first run is empty, so its count read skipped the empty run lines and ");
  }
  out.put("the test cases after it are read out of step (look at this one first): test case ")
      .put_int(static_cast<std::int64_t>(t) + 2)
      .put("'s count was read ");
  const place next = runs.locate(report.test_cases[t + 1].count.offset);
  if (next.line > 0) {
    out.put("from line ").put_int(next.line).put("\n");
  } else {
    out.put("at the end of the file\n");
  }
}

// ---- JSON ----

void put_json_line(output& out, const place& at) {
  if (at.line > 0) {
    out.put_int(at.line);
  } else {
    out.put("null");
  }
}

}  // namespace

void put_json_string(output& out, std::string_view text) {
  out.put('"');
  for (std::size_t i = 0; i < text.size();) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c >= 0x80) {
      const std::size_t n = utf8_sequence(text.substr(i));
      out.put(n > 0 ? text.substr(i, n) : "\\ufffd");
      i += std::max<std::size_t>(n, 1);
      continue;
    }
    if (c == '"' || c == '\\') {
      out.put('\\').put(text[i]);
    } else if (c == '\n') {
      out.put("\\n");
    } else if (c == '\t') {
      out.put("\\t");
    } else if (c == '\r') {
      out.put("\\r");
    } else if (c < 0x20) {
      constexpr char hex[] = "0123456789abcdef";
      out.put("\\u00").put(hex[c >> 4]).put(hex[c & 15]);
    } else {
      out.put(text[i]);
    }
    ++i;
  }
  out.put('"');
}

void print_text(output& out, const file_report& report, const run_table* table) {
  if (report.stopped) {
    out.put(report.run_file).put(": stopped: ");
    const std::int64_t line = stop_line(report);
    if (line > 0) out.put(stop_file(report)).put(" line ").put_int(line).put(": ");
    out.put(stop_message(report)).put("\n");
    return;
  }
  if (report.status() == 0) return;
  line_locator runs(open_text_file(report.run_file.c_str()));
  const bool utf16 = looks_like_utf16(runs.head());
  bool first_failure = true;
  const std::size_t cause = out_of_step_cause(report, *table);
  for (std::size_t t = 0; t < report.test_cases.size(); ++t) {
    const test_case_report& tc = report.test_cases[t];
    if (tc.passed && t != cause) continue;
    out.put(report.run_file).put(": test case ").put_int(static_cast<std::int64_t>(t) + 1);
    out.put(tc.passed ? " passed, but its first run is empty" : " failed");
    out.put(cause != none && t > cause ? " (read out of step)\n" : "\n");
    if (!tc.passed && first_failure && utf16) {
      out.put("  hint: the run file looks like UTF-16 (a byte order mark, or NUL bytes between ");
      out.put("the characters); write it as plain ASCII text\n");
    }
    first_failure = first_failure && tc.passed;
    if (count_wrong(tc)) put_count(out, tc, runs);
    const run_set& expected = (*table)[static_cast<std::int32_t>(t)];
    for (std::size_t k = 0; k < tc.kept_runs; ++k) {
      put_run(out, report.runs[tc.first_run + k], expected, runs);
    }
    if (tc.more_runs > 0) out.put("  ... and ").put_int(tc.more_runs).put(" more wrong runs\n");
    if (t == cause) put_out_of_step_note(out, report, t, runs);
  }
}

void print_summary(output& out, const file_report& report) {
  out.put(report.run_file).put(": ");
  if (report.stopped) {
    out.put("STOPPED, the check could not run\n");
    return;
  }
  out.put(report.status() == 0 ? "PASS, " : "FAIL, ")
      .put_int(report.passed)
      .put(" of ")
      .put_int(static_cast<std::int64_t>(report.test_cases.size()))
      .put(" test cases passed\n");
}

void print_json(output& out, const file_report& report, const run_table* table) {
  out.put("{\"test_case_file\": ");
  put_json_string(out, report.test_case_file);
  out.put(", \"run_file\": ");
  put_json_string(out, report.run_file);
  constexpr const char* verdicts[] = {"pass", "fail", "stopped"};
  out.put(R"(, "verdict": ")").put(verdicts[report.status()]).put("\"");
  if (report.stopped) {
    out.put(R"(, "stop": {"message": )");
    put_json_string(out, stop_message(report));
    out.put(", \"file\": ");
    put_json_string(out, stop_file(report));
    out.put(", \"line\": ");
    put_json_line(out, {stop_line(report), {}});
    out.put("}");
  }
  const auto total = static_cast<std::int64_t>(report.test_cases.size());
  out.put(", \"passed\": ").put_int(report.passed);
  out.put(", \"failed\": ").put_int(total - report.passed).put(", \"test_cases\": [");
  line_locator runs(report.stopped ? std::nullopt : open_text_file(report.run_file.c_str()));
  const std::size_t cause = report.stopped ? none : out_of_step_cause(report, *table);
  for (std::size_t t = 0; t < report.test_cases.size(); ++t) {
    const test_case_report& tc = report.test_cases[t];
    out.put(t > 0 ? ", " : "").put("{\"test_case\": ").put_int(static_cast<std::int64_t>(t) + 1);
    out.put(tc.passed ? R"(, "verdict": "passed")" : R"(, "verdict": "failed")");
    out.put(", \"count\": ");
    if (count_wrong(tc)) {
      out.put("{\"line\": ");
      put_json_line(out, runs.locate(tc.count.offset));
      out.put(", \"expected\": ").put_int(tc.count.expected);
      out.put(", \"found\": ").put_int(tc.count.found).put("}");
    } else {
      out.put("null");
    }
    out.put(", \"runs\": [");
    for (std::size_t k = 0; k < tc.kept_runs; ++k) {
      const run_report& run = report.runs[tc.first_run + k];
      out.put(k > 0 ? ", " : "").put("{\"run\": ").put_int(run.run).put(", \"line\": ");
      put_json_line(out, runs.locate(run.offset));
      out.put(", \"position\": ").put_int(run.position);
      out.put(", \"expected\": ").put_int(run.expected).put(", \"found\": ");
      if (run.found) {
        out.put_int(*run.found);
      } else {
        out.put("null");
      }
      out.put("}");
    }
    out.put("], \"more_runs\": ").put_int(tc.more_runs);
    out.put(", \"out_of_step\": ").put(cause != none && t > cause ? "true}" : "false}");
  }
  out.put("]}\n");
}

}  // namespace runcheck::explain
