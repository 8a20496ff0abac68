#include "explain/json_printer.h"

#include "explain/encoding.h"

namespace runcheck::explain {

namespace {

void put_line(output& out, std::int64_t line) {
  if (line > 0) {
    out.put_int(line);
  } else {
    out.put("null");
  }
}

}  // namespace

void json_printer::file_begun(const file_summary& summary) {
  out_.put("{\"test_case_file\": ");
  put_json_string(out_, summary.test_case_file);
  out_.put(", \"run_file\": ");
  put_json_string(out_, summary.run_file);
  constexpr const char* verdicts[] = {"pass", "fail", "stopped"};
  out_.put(R"(, "verdict": ")").put(verdicts[summary.status()]).put("\"");
  if (summary.stopped) {
    out_.put(R"(, "stop": {"message": )");
    put_json_string(out_, summary.stopped->message);
    out_.put(", \"file\": ");
    put_json_string(out_, summary.stopped->file);
    out_.put(", \"line\": ");
    put_line(out_, summary.stopped->line);
    out_.put("}");
  }
  out_.put(", \"passed\": ").put_int(summary.passed);
  out_.put(", \"failed\": ").put_int(std::int64_t{summary.total} - summary.passed);
  out_.put(", \"test_cases\": [");
}

void json_printer::test_case(const file_summary& /*summary*/, const test_case_report& report) {
  out_.put(report.test_case > 0 ? ", " : "")
      .put("{\"test_case\": ")
      .put_int(std::int64_t{report.test_case} + 1);
  out_.put(report.passed ? R"(, "verdict": "passed")" : R"(, "verdict": "failed")");
  out_.put(", \"count\": ");
  if (report.count) {
    out_.put("{\"line\": ");
    put_line(out_, report.count->at.line);
    out_.put(", \"expected\": ").put_int(report.count->expected);
    out_.put(", \"found\": ").put_int(report.count->found).put("}");
  } else {
    out_.put("null");
  }
  out_.put(", \"runs\": [");
  bool first = true;
  for (const run_finding& run : report.runs) {
    out_.put(first ? "" : ", ").put("{\"run\": ").put_int(run.run).put(", \"line\": ");
    first = false;
    put_line(out_, run.at.line);
    out_.put(", \"position\": ").put_int(run.position);
    out_.put(", \"expected\": ").put_int(run.expected).put(", \"found\": ");
    if (run.found) {
      out_.put_int(*run.found);
    } else {
      out_.put("null");
    }
    out_.put("}");
  }
  out_.put("], \"more_runs\": ").put_int(report.more_runs);
  out_.put(", \"out_of_step\": ").put(report.out_of_step ? "true}" : "false}");
}

void json_printer::file_ended(const file_summary& /*summary*/) { out_.put("]}\n"); }

}  // namespace runcheck::explain
