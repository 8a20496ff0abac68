// Fuzz target for the whole program, in process: run_program over a
// test-case file and a run file cut from the input, printing into memory.
//
// Input: byte 0 says what stands in place of each file, bits 0-2 for the
// test-case file and bits 3-5 for the run file: 5 a named pipe that no one
// writes to, 6 nothing, 7 a directory, anything else the bytes below. The
// rest is the test-case file's bytes, the separator "\n====\n", then the run
// file's bytes (no separator: an empty run file).
//
// Checks: the output starts with the banner and ends with the prompt; and
// the expected listing, written as the run file, passes where it reads back
// in step (no empty run, which a count read would skip, and no run line too
// long for one key-line read); and runcheck-explain --json, on the same
// files, writes one JSON document that RapidJSON's reader accepts, with
// runcheck's verdict for the file and for every test case, counts that add
// up, a finding for every failing test case, no why for a test case read
// out of step or that may be, an independent score never below runcheck's
// count, and the exit status that runcheck's output calls for (0 pass, 1
// fail, 2 no check), and, where the
// test-case file stops both, runcheck's words for the stop; and
// runcheck-explain --format html, with the same exit status, writes a whole
// page of valid UTF-8 in which no byte of the files reads as markup (no
// script or img element, which the page itself never writes); and every
// faulty program named for a test case writes what the check read there:
// as many runs as the count read, each as its line reads (runs read whole,
// not read out of step), and not the right runs. No other test
// checks that agreement: the replay runs it on seeds made from every
// end-to-end case (fuzz/CMakeLists.txt).
//
// The run table follows the first count, so allocations above 1 GiB fail
// softly and the program's own "Not enough memory" path stays reachable.
#include <rapidjson/document.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "driver/program.h"
#include "explain/cli/explain.h"
#include "explain/diagnosis/diagnosis.h"
#include "explain/diagnosis/test_case_file_notes.h"
#include "explain/diagnosis/variants.h"
#include "explain/report/encoding.h"
#include "fuzz/fuzz_support.h"
#include "generation/expected_runs.h"
#include "platform/output.h"

// NOLINTNEXTLINE(bugprone-reserved-identifier,cert-dcl37-c,cert-dcl51-cpp): the sanitizer's name
extern "C" const char* __asan_default_options() {
  return "allocator_may_return_null=1:max_allocation_size_mb=1024";
}

namespace {

// Puts at `path` what `placement` says.
void lay_out(unsigned placement, const char* path, std::string_view bytes) {
  runcheck::fuzzing::write_file(path, bytes);
  if (placement >= 5) std::filesystem::remove(path);
  if (placement == 5) FUZZ_CHECK(::mkfifo(path, 0600) == 0);
  if (placement == 7) std::filesystem::create_directory(path);
}

// P and F for each `pass` and `fail` in `text`, in order.
std::string verdicts(std::string_view text, std::string_view pass, std::string_view fail) {
  std::string found;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text.substr(i).starts_with(pass)) found += 'P';
    if (text.substr(i).starts_with(fail)) found += 'F';
  }
  return found;
}

// Checks runcheck-explain's JSON document against runcheck's `status` (0
// pass, 1 fail, 2 no check) and test-case verdicts (P and F, in order).
void check_json(const std::string& text, int status, const std::string& verdicts) {
  FUZZ_CHECK(text.ends_with('\n') && text.find('\n') == text.size() - 1);  // one line
  rapidjson::Document document;
  document.Parse(text.c_str(), text.size());
  FUZZ_CHECK(!document.HasParseError() && document.IsObject());
  constexpr const char* file_verdicts[] = {"pass", "fail", "stopped"};
  FUZZ_CHECK(std::string_view(document["verdict"].GetString()) == file_verdicts[status]);
  const auto& cases = document["test_cases"].GetArray();
  FUZZ_CHECK(cases.Size() == verdicts.size());
  std::int64_t passed = 0;
  for (rapidjson::SizeType i = 0; i < cases.Size(); ++i) {
    const auto& tc = cases[i];
    FUZZ_CHECK(tc["test_case"].GetInt64() == i + 1);
    const bool pass = std::string_view(tc["verdict"].GetString()) == "passed";
    FUZZ_CHECK(pass == (verdicts[i] == 'P'));
    passed += pass ? 1 : 0;
    // A failing test case says what failed: its count or a wrong run.
    FUZZ_CHECK(pass || !tc["count"].IsNull() || !tc["runs"].GetArray().Empty());
    // An echo is not explained.
    const bool out = tc["out_of_step"].GetBool();
    const bool may_be = tc["may_be_out_of_step"].GetBool();
    FUZZ_CHECK(!(out && may_be));
    FUZZ_CHECK(!(out || may_be) || tc["explanation"].IsNull());
    FUZZ_CHECK(!pass || tc["passed_independently"].GetBool());
  }
  FUZZ_CHECK(document["passed"].GetInt64() == passed);
  FUZZ_CHECK(status == 2 || document["passed_independently"].GetInt64() >= passed);
  FUZZ_CHECK(document["failed"].GetInt64() == document["total"].GetInt64() - passed);
  FUZZ_CHECK(status == 2 || document["total"].GetInt64() == cases.Size());
}

// Where the test-case file opened but stopped the check, runcheck-explain's
// message is runcheck's last line before the prompt (which a key count below
// 1 shares).
void check_stop(const std::string& json, const std::string& text) {
  rapidjson::Document document;
  document.Parse(json.c_str(), json.size());
  if (!document.HasMember("stop") || !document["stop"].IsObject()) return;
  const auto& stop = document["stop"];
  if (!stop["open_failure"].IsNull() ||
      std::string_view(stop["file"].GetString()) != "replacement_input.txt")
    return;
  const std::string message = stop["message"].GetString();
  constexpr std::string_view prompt = "Press Enter Any Key to Finish.";
  FUZZ_CHECK(text.ends_with(message + "\n" + std::string(prompt)) ||
             text.ends_with(message + std::string(prompt)));
}

void check_html(std::string_view page) {
  FUZZ_CHECK(page.starts_with("<!DOCTYPE html>\n") && page.ends_with("</html>\n"));
  FUZZ_CHECK(page.find("<script") == page.npos && page.find("<img") == page.npos);
  for (std::size_t i = 0; i < page.size();) {
    const std::size_t n = static_cast<unsigned char>(page[i]) < 0x80
                              ? 1
                              : runcheck::explain::utf8_sequence(page.substr(i));
    FUZZ_CHECK(n > 0);
    i += n;
  }
}

// Keeps the diagnosis's reports.
class kept_reports final : public runcheck::explain::report_printer {
 public:
  void file_begun(const runcheck::explain::file_summary& /*summary*/) override {}
  void test_case(const runcheck::explain::file_summary& /*summary*/,
                 const runcheck::explain::test_case_report& report) override {
    reports.push_back(report);
  }
  void file_ended(const runcheck::explain::file_summary& /*summary*/) override {}
  std::vector<runcheck::explain::test_case_report> reports;
};

// Keeps each test case's keys as the reading gives them.
class kept_keys final : public runcheck::generation_observer {
 public:
  void test_case_generated(const runcheck::test_case& tc, const runcheck::run_set& runs,
                           const runcheck::generation_result& result) override {
    keys.emplace_back(tc.keys.begin(), tc.keys.end());
    watcher.test_case_generated(tc, runs, result);
  }
  std::vector<std::vector<std::int32_t>> keys;
  runcheck::explain::test_case_file_watcher watcher;
};

// Every program named for a test case writes what the check read there.
void check_names() {
  using namespace runcheck::explain;
  const auto line = std::make_unique<runcheck::key_line>();
  kept_keys keys;
  runcheck::stop why;
  const std::optional<runcheck::expected_runs> expected =
      runcheck::generate_expected_runs("replacement_input.txt", *line, &keys, why);
  if (!expected) return;
  const test_case_file_notes notes = keys.watcher.finish("replacement_input.txt", *expected);
  kept_reports kept;
  report_run_file("replacement_input.txt", "replacement_output.txt", *expected, notes,
                  {.keep_runs = true}, *line, kept);
  for (const test_case_report& report : kept.reports) {
    if (!report.variant || report.read_runs_lost) continue;
    const std::vector<std::int32_t>& tc = keys.keys[static_cast<std::size_t>(report.test_case)];
    const std::int64_t count =
        report.count ? report.count->found : expected->table[report.test_case].run_count;
    const laid_runs& read = report.read_runs;
    for (const std::string_view name : report.variant->alternatives) {
      const auto& all = known_variants();
      const auto v =
          std::find_if(all.begin(), all.end(), [&](const variant& x) { return x.name == name; });
      FUZZ_CHECK(v != all.end());
      const played_runs played = variant_runs(*v, tc);
      FUZZ_CHECK(!played.never_finishes);
      FUZZ_CHECK(std::ssize(played.runs) == count);
      FUZZ_CHECK(played.runs != runcheck::reference_runs(tc));
      std::size_t begin = 0;
      for (std::size_t r = 0; r < read.ends.size() && r < played.runs.size(); ++r) {
        const std::vector<std::int32_t>& written = played.runs[r];
        const std::size_t kept_keys =
            std::min(written.size(), static_cast<std::size_t>(runcheck::max_run_keys));
        FUZZ_CHECK(read.ends[r] - begin == kept_keys);
        FUZZ_CHECK(std::equal(written.begin(),
                              written.begin() + static_cast<std::ptrdiff_t>(kept_keys),
                              read.keys.begin() + static_cast<std::ptrdiff_t>(begin)));
        begin = read.ends[r];
      }
    }
  }
}

std::string run(const char* run_file) {
  runcheck::output out;
  runcheck::run_program({"replacement_input.txt", run_file}, out);
  FUZZ_CHECK(out.text().starts_with("Input file name: \"replacement_input.txt\", buffer_size: 5"));
  FUZZ_CHECK(out.text().ends_with("Press Enter Any Key to Finish."));
  return out.text();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
  const std::size_t cut = std::min(rest.find("\n====\n"), rest.size());
  lay_out(data[0] & 7, "replacement_input.txt", rest.substr(0, cut));
  lay_out((data[0] >> 3) & 7, "replacement_output.txt",
          rest.substr(std::min(cut + 6, rest.size())));
  const std::string text = run("replacement_output.txt");
  runcheck::output json;
  runcheck::output err;
  const std::string_view args[] = {"--json", "replacement_input.txt", "replacement_output.txt"};
  const bool checked =
      text.find("\n================================================\n") != std::string::npos;
  const bool passed = text.find("\nYour File PASS the TEST\n") != std::string::npos;
  const int status = checked ? (passed ? 0 : 1) : 2;
  FUZZ_CHECK(runcheck::explain::run(args, json, err) == status);
  check_json(json.text(), status, verdicts(text, "\n....PASSED\n", "\n....FAILED\n"));
  check_stop(json.text(), text);
  runcheck::output page;
  const std::string_view html_args[] = {"--format", "html", "replacement_input.txt",
                                        "replacement_output.txt"};
  FUZZ_CHECK(runcheck::explain::run(html_args, page, err) == status);
  check_html(page.text());
  if (checked) check_names();
  // The listing: from the line after "Output File should be..", up to the line of '<'.
  const std::size_t begin = text.find("be..\n") + 5;
  const std::string listing = text.substr(begin, text.find('<', begin) - begin);
  std::size_t longest = 0;
  std::istringstream lines(listing);
  for (std::string line; std::getline(lines, line);) longest = std::max(longest, line.size());
  if (begin < 5 || listing.find("\n\n") != std::string::npos || longest >= 1999) return 0;
  lay_out(0, "listing.txt", listing);
  FUZZ_CHECK(run("listing.txt").find("Your File PASS the TEST\n") != std::string::npos);
  return 0;
}
