#include "explain/authoring/coverage_printer.h"

#include <string>
#include <string_view>

#include "explain/printers/json_writer.h"

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

}  // namespace

void print_coverage_text(output& out, const coverage_report& report) {
  const std::string& file = report.test_case_file;
  if (report.stopped) {
    out.put(file).put(": stopped: ");
    if (report.stopped->line > 0) out.put("line ").put_int(report.stopped->line).put(": ");
    out.put(report.stopped->message).put("\n");
    out.put(file).put(": CANNOT BE USED, runcheck stops on it\n");
    return;
  }
  out.put(file).put(": ").put_int(report.num_test_cases);
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
    if (v.caught_by) {
      caught.line().put(v.description).put(": test case ").put_int(*v.caught_by + 1).put("\n");
    }
  }
  for (const variant_coverage& v : report.variants) {
    if (!v.caught_by) gaps.line().put(v.description).put(" passes this file\n");
  }
  for (const std::int32_t t : report.out_of_step.first) {
    out.put("warning: test case ").put_int(std::int64_t{t} + 1);
    out.put(
        " has an empty first run and test cases after it: the count read skips its empty"
        " run lines, so a right program's run file is read out of step after it and may"
        " fail; make it the last test case\n");
  }
  const std::int64_t more = report.out_of_step.count - std::ssize(report.out_of_step.first);
  if (more > 0) out.put("warning: and ").put_int(more).put(" more test cases like it\n");

  out.put(file).put(report.status() == 0 ? ": ALL CAUGHT, " : ": GAPS, ");
  out.put_int(report.caught()).put(" of ").put_int(std::ssize(report.variants));
  out.put(" mistakes caught, ").put_int(report.exercised()).put(" of ");
  out.put_int(std::ssize(report.rules)).put(" rules exercised\n");
}

void print_coverage_json(output& out, const coverage_report& report) {
  json_writer json;
  json.start_object();
  json.key("test_case_file");
  json.string(report.test_case_file);
  json.key("verdict");
  const int status = report.status();
  json.string(status == 0 ? "all_caught" : status == 1 ? "gaps" : "stopped");
  if (report.stopped) {
    json.key("stop");
    json.start_object();
    json.key("message");
    json.string(report.stopped->message);
    json.key("file");
    json.string(report.stopped->file);
    json.key("line");
    if (report.stopped->line > 0) {
      json.integer(report.stopped->line);
    } else {
      json.null();
    }
    json.end_object();
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
    if (v.caught_by) {
      json.integer(std::int64_t{*v.caught_by} + 1);
    } else {
      json.null();
    }
    json.end_object();
  }
  json.end_array();
  json.key("gaps");
  json.start_array();
  for (const variant_coverage& v : report.variants) {
    if (!v.caught_by) json.string(v.name);
  }
  json.end_array();
  json.key("out_of_step");
  json.start_object();
  put_test_cases(json, report.out_of_step);
  json.end_object();
  json.end_object();
  json.flush_to(out);
  out.put("\n");
}

}  // namespace runcheck::explain
