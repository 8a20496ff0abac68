#include "explain/authoring/coverage_printer.h"

#include <bit>
#include <string>
#include <string_view>

#include "explain/printers/json_printer.h"
#include "explain/printers/json_writer.h"
#include "explain/printers/sentences.h"
#include "explain/report/encoding.h"

namespace runcheck::explain {

namespace {

// "test case 2", "test cases 1, 4 and 7", "test cases 1, 2, 3 and 40 more".
void put_test_cases(output& out, const test_case_list& list) {
  const std::int64_t more = list.count - static_cast<std::int64_t>(list.first.size());
  out.put(list.count == 1 ? "test case " : "test cases ");
  for (std::size_t i = 0; i < list.first.size(); ++i) {
    if (i > 0) out.put(i + 1 == list.first.size() && more == 0 ? " and " : ", ");
    out.put_int(std::int64_t{list.first[i]} + 1);
  }
  if (more > 0) out.put(" and ").put_int(more).put(" more");
}

// Writes a section's heading before its first line, and nothing for a
// section without lines.
class section {
 public:
  section(output& out, std::string_view heading) : out_(out), heading_(heading) {}

  output& line() {
    if (!begun_) out_.put(heading_).put(":\n");
    begun_ = true;
    return out_.put("  ");
  }

 private:
  output& out_;
  std::string_view heading_;
  bool begun_ = false;
};

void put_test_cases(json_writer& json, const test_case_list& list) {
  json.key("test_cases");
  json.start_array();
  for (const std::int32_t t : list.first) json.integer(std::int64_t{t} + 1);
  json.end_array();
  json.key("more_test_cases");
  json.integer(list.count - static_cast<std::int64_t>(list.first.size()));
}

// The test-case file's name, spelt out where it holds other bytes.
output& put_file(output& out, const coverage_report& report) {
  put_escaped(out, report.test_case_file);
  return out;
}

void escaped_name(std::string_view file, std::string& name) {
  output out;
  put_escaped(out, file);
  name = out.text();
}

void put_stopped(output& out, const coverage_report& report) {
  const stop_report& stopped = *report.stopped;
  const bool not_opened = stopped.failure != platform::open_failure::none;
  put_file(out, report).put(not_opened ? ": " : ": stopped: ");
  if (stopped.line > 0) out.put("line ").put_int(stopped.line).put(": ");
  put_escaped(out, stopped.message);
  out.put("\n");
  std::string name;
  escaped_name(report.test_case_file, name);
  put_file_hints(out, stopped.hints, name, "  ");
  put_file(out, report)
      .put(not_opened ? ": CANNOT BE USED, it cannot be opened\n"
                      : ": CANNOT BE USED, runcheck stops on it\n");
}

void put_right_fails(output& out, const coverage_report& report) {
  const right_listing_failure& f = *report.right_fails;
  put_file(out, report).put(": runcheck fails the right program's own run file at test case ");
  out.put_int(std::int64_t{f.test_case} + 1).put("\n");
  if (f.out_of_step_after) {
    out.put("  it reads the file out of step after test case ");
    out.put_int(std::int64_t{*f.out_of_step_after} + 1);
    if (f.empty_first_run) {
      out.put(", whose first run is empty:\n  the count read skips its empty run lines\n");
    } else {
      out.put(", whose run ").put_int(f.run).put(" is a line of ").put_int(f.characters);
      out.put(" characters:\n  runcheck reads it in pieces, 1999 characters at a time\n");
    }
  }
  put_file(out, report).put(": CANNOT BE USED, runcheck fails the right program on it\n");
}

void put_warning(output& out, const file_warning& w) {
  out.put("warning: ");
  if (w.line > 0) out.put("line ").put_int(w.line).put(": ");
  const std::int64_t t = std::int64_t{w.test_case} + 1;
  switch (w.what) {
    case file_warning::kind::no_test_cases:
      out.put("the file holds no test case\n");
      return;
    case file_warning::kind::text_after:
      out.put("text after the last test case, which runcheck never reads\n");
      return;
    case file_warning::kind::key_line_in_pieces:
      out.put("the key line of test case ").put_int(t);
      out.put(
          " is 2000 characters or more: runcheck reads 1999 of them and takes the rest for"
          " what comes next");
      break;
    case file_warning::kind::key_line_tabs:
      out.put("the key line of test case ").put_int(t);
      out.put(" holds tabs: runcheck cuts keys at spaces only, so a tab joins two keys into one");
      break;
    case file_warning::kind::key_line_text:
      out.put("the key line of test case ").put_int(t);
      out.put(
          " holds text: runcheck reads a word as the key 0, and a number followed by text as"
          " the number");
      break;
    case file_warning::kind::key_line_more_keys:
      out.put("the key line of test case ").put_int(t);
      out.put(
          " holds more numbers than its num_keys: runcheck takes the first num_keys and"
          " skips the rest");
      break;
  }
  if (w.more > 0)
    out.put(" (and ").put_int(w.more).put(w.more == 1 ? " more test case)" : " more test cases)");
  out.put("\n");
}

// What each analysed test case catches, which catch nothing another does
// not, and a smallest subset.
void put_test_cases(output& out, const coverage_report& report) {
  const auto total = std::ssize(report.variants);
  section analysed(out, "catches per test case");
  // What the test cases after each one catch, so that the others' catches
  // are those before it and those after.
  const std::vector<variant_set>& catches_of = report.catches;
  std::vector<variant_set> after(catches_of.size() + 1, 0);
  for (std::size_t t = catches_of.size(); t-- > 0;) after[t] = after[t + 1] | catches_of[t];
  variant_set before = 0;
  for (std::int32_t t = 0; t < report.analysed; ++t) {
    const variant_set catches = catches_of[static_cast<std::size_t>(t)];
    const variant_set others = before | after[static_cast<std::size_t>(t) + 1];
    before |= catches;
    output& line = analysed.line().put("test case ").put_int(std::int64_t{t} + 1).put(": ");
    line.put_int(std::popcount(catches)).put(" of ").put_int(total).put(" caught");
    const int only = std::popcount(catches & ~others);
    if (only > 0) line.put(", ").put_int(only).put(" by no other test case");
    line.put("\n");
  }
  if (!report.every_test_case_analysed()) {
    if (report.analysed > 0) {
      out.put("note: catches are worked out for the first ").put_int(report.analysed);
      out.put(" test cases; --minimize works them out for all\n");
    }
    return;
  }
  if (report.redundant.count > 0) {
    out.put("redundant: ");
    put_test_cases(out, report.redundant);
    out.put(report.redundant.count == 1 ? " catches" : " catch");
    out.put(" nothing that another test case does not\n");
  }
  if (!report.smallest_subset.empty() &&
      std::ssize(report.smallest_subset) < report.num_test_cases) {
    out.put("smallest subset: ");
    const test_case_list kept{.first = report.smallest_subset,
                              .count = std::ssize(report.smallest_subset)};
    put_test_cases(out, kept);
    out.put(kept.count == 1 ? " keeps" : " keep");
    out.put(" every catch; --minimize writes the file\n");
  }
}

}  // namespace

void print_coverage_text(output& out, const coverage_report& report) {
  if (report.stopped) return put_stopped(out, report);
  if (report.right_fails) return put_right_fails(out, report);
  put_file(out, report).put(": ").put_int(report.num_test_cases);
  out.put(report.num_test_cases == 1 ? " test case, " : " test cases, ").put_int(report.num_keys);
  out.put(report.num_keys == 1 ? " key\n" : " keys\n");

  section exercised(out, "rules exercised");
  section not_exercised(out, "rules not exercised");
  for (const rule_coverage& r : report.rules) {
    if (r.test_cases.count > 0) {
      put_test_cases(exercised.line().put(rule_description(r.what)).put(": "), r.test_cases);
      out.put("\n");
    }
  }
  for (const rule_coverage& r : report.rules) {
    if (r.test_cases.count == 0) not_exercised.line().put(rule_description(r.what)).put("\n");
  }
  section caught(out, "mistakes caught");
  section gaps(out, "gaps");
  for (const variant_coverage& v : report.variants) {
    if (!v.caught_by) continue;
    caught.line().put(v.description).put(": test case ").put_int(*v.caught_by + 1);
    out.put(v.never_finishes ? ", on which it never finishes\n" : "\n");
  }
  for (const variant_coverage& v : report.variants) {
    if (!v.caught_by) gaps.line().put(v.description).put(": runcheck passes its run file\n");
  }
  put_test_cases(out, report);
  for (const std::int32_t t : report.out_of_step.first) {
    out.put("warning: test case ").put_int(std::int64_t{t} + 1);
    out.put(
        " has an empty first run and test cases after it: the count read skips its empty"
        " run lines, so a right program's run file is read out of step after it and may"
        " fail; make it the last test case\n");
  }
  const std::int64_t more = report.out_of_step.count - std::ssize(report.out_of_step.first);
  if (more > 0) out.put("warning: and ").put_int(more).put(" more test cases like it\n");
  for (const file_warning& w : report.warnings) put_warning(out, w);
  if (report.count_alone.count > 0) {
    out.put("note: ");
    put_test_cases(out, report.count_alone);
    out.put(report.count_alone.count == 1 ? " has" : " have");
    out.put(
        " an empty first run: runcheck checks the run count alone there, as every run line"
        " is empty\n");
  }

  const auto total = std::ssize(report.variants);
  put_file(out, report);
  if (report.status() == 0) {
    out.put(": ALL CAUGHT, all ").put_int(total).put(" known faulty programs caught, ");
  } else {
    out.put(": GAPS, ").put_int(report.caught()).put(" of ").put_int(total);
    out.put(" known faulty programs caught, ");
  }
  out.put_int(report.exercised()).put(" of ");
  out.put_int(std::ssize(report.rules)).put(" rules exercised\n");
}

namespace {

void put_optional(json_writer& json, std::optional<std::int64_t> value) {
  if (value) {
    json.integer(*value);
  } else {
    json.null();
  }
}

std::string_view warning_name(file_warning::kind k) {
  switch (k) {
    case file_warning::kind::no_test_cases:
      return "no_test_cases";
    case file_warning::kind::text_after:
      return "text_after";
    case file_warning::kind::key_line_in_pieces:
      return "key_line_in_pieces";
    case file_warning::kind::key_line_tabs:
      return "key_line_tabs";
    case file_warning::kind::key_line_text:
      return "key_line_text";
    case file_warning::kind::key_line_more_keys:
      return "key_line_more_keys";
  }
  return {};
}

void put_stop_json(json_writer& json, const stop_report& stopped) {
  json.key("stop");
  json.start_object();
  json.key("message");
  json.string(stopped.message);
  json.key("file");
  json.string(stopped.file);
  json.key("line");
  put_optional(json, stopped.line > 0 ? std::optional<std::int64_t>(stopped.line) : std::nullopt);
  json.key("open_failure");
  if (stopped.failure != platform::open_failure::none) {
    json.string(json_name(stopped.failure));
  } else {
    json.null();
  }
  json.key("hints");
  json.start_array();
  for (const file_hint h : stopped.hints) json.string(json_name(h));
  json.end_array();
  json.end_object();
}

void put_right_fails_json(json_writer& json, const right_listing_failure& f) {
  json.key("right_program_fails");
  json.start_object();
  json.key("test_case");
  json.integer(std::int64_t{f.test_case} + 1);
  json.key("out_of_step_after");
  const bool after = f.out_of_step_after.has_value();
  put_optional(json, after ? std::optional<std::int64_t>(*f.out_of_step_after + 1) : std::nullopt);
  json.key("why");
  if (!after) {
    json.null();
  } else {
    json.string(f.empty_first_run ? "empty_first_run" : "line_in_pieces");
  }
  const bool piece = after && !f.empty_first_run;
  json.key("run");
  put_optional(json, piece ? std::optional<std::int64_t>(f.run) : std::nullopt);
  json.key("characters");
  put_optional(json, piece ? std::optional<std::int64_t>(f.characters) : std::nullopt);
  json.end_object();
}

void put_names(json_writer& json, variant_set set) {
  json.start_array();
  for (const variant& v : known_variants()) {
    if ((set & bit_of(v)) != 0) json.string(v.name);
  }
  json.end_array();
}

// Each analysed test case's catches; which catch nothing another does not,
// and a smallest subset, where every test case is analysed.
void put_test_cases_json(json_writer& json, const coverage_report& report) {
  json.key("analysed");
  json.integer(report.analysed);
  json.key("test_cases");
  json.start_array();
  for (std::int32_t t = 0; t < report.analysed; ++t) {
    json.start_object();
    json.key("test_case");
    json.integer(std::int64_t{t} + 1);
    json.key("catches");
    put_names(json, report.catches[static_cast<std::size_t>(t)]);
    json.end_object();
  }
  json.end_array();
  const bool all = report.every_test_case_analysed();
  json.key("redundant");
  if (all) {
    json.start_object();
    put_test_cases(json, report.redundant);
    json.end_object();
  } else {
    json.null();
  }
  json.key("smallest_subset");
  if (all) {
    json.start_array();
    for (const std::int32_t t : report.smallest_subset) json.integer(std::int64_t{t} + 1);
    json.end_array();
  } else {
    json.null();
  }
}

}  // namespace

void print_coverage_json(output& out, const coverage_report& report) {
  json_writer json;
  json.start_object();
  json.key("test_case_file");
  json.string(report.test_case_file);
  json.key("verdict");
  const int status = report.status();
  const std::string_view verdict = status == 0      ? "all_caught"
                                   : status == 1    ? "gaps"
                                   : report.stopped ? "stopped"
                                                    : "right_program_fails";
  json.string(verdict);
  if (report.stopped) {
    put_stop_json(json, *report.stopped);
    json.end_object();
    json.flush_to(out);
    out.put("\n");
    return;
  }
  if (report.right_fails) {
    put_right_fails_json(json, *report.right_fails);
    json.end_object();
    json.flush_to(out);
    out.put("\n");
    return;
  }
  json.key("num_test_cases");
  json.integer(report.num_test_cases);
  json.key("num_keys");
  json.integer(report.num_keys);
  json.key("rules");
  json.start_array();
  for (const rule_coverage& r : report.rules) {
    json.start_object();
    json.key("rule");
    json.string(rule_name(r.what));
    json.key("description");
    json.string(rule_description(r.what));
    json.key("exercised");
    json.boolean(r.test_cases.count > 0);
    put_test_cases(json, r.test_cases);
    json.end_object();
  }
  json.end_array();
  json.key("variants");
  json.start_array();
  for (const variant_coverage& v : report.variants) {
    json.start_object();
    json.key("variant");
    json.string(v.name);
    json.key("description");
    json.string(v.description);
    json.key("caught");
    json.boolean(v.caught_by.has_value());
    json.key("test_case");
    put_optional(json, v.caught_by ? std::optional<std::int64_t>(*v.caught_by + 1) : std::nullopt);
    json.key("never_finishes");
    json.boolean(v.never_finishes);
    json.end_object();
  }
  json.end_array();
  json.key("gaps");
  json.start_array();
  for (const variant_coverage& v : report.variants) {
    if (!v.caught_by) json.string(v.name);
  }
  json.end_array();
  put_test_cases_json(json, report);
  json.key("out_of_step");
  json.start_object();
  put_test_cases(json, report.out_of_step);
  json.end_object();
  json.key("count_alone");
  json.start_object();
  put_test_cases(json, report.count_alone);
  json.end_object();
  json.key("warnings");
  json.start_array();
  for (const file_warning& w : report.warnings) {
    json.start_object();
    json.key("warning");
    json.string(warning_name(w.what));
    const bool about_a_test_case = w.what != file_warning::kind::no_test_cases;
    json.key("test_case");
    put_optional(json,
                 about_a_test_case ? std::optional<std::int64_t>(w.test_case + 1) : std::nullopt);
    json.key("line");
    put_optional(json, w.line > 0 ? std::optional<std::int64_t>(w.line) : std::nullopt);
    json.key("more_test_cases");
    json.integer(w.more);
    json.end_object();
  }
  json.end_array();
  json.end_object();
  json.flush_to(out);
  out.put("\n");
}

}  // namespace runcheck::explain
