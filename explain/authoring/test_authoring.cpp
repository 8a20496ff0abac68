#include "explain/authoring/test_authoring.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <vector>

#include "explain/authoring/coverage.h"
#include "explain/authoring/coverage_printer.h"
#include "explain/authoring/make_tests.h"
#include "explain/report/encoding.h"
#include "generation/expected_runs.h"
#include "input/text_reader.h"

namespace runcheck::explain {

namespace {

using key_lists = std::vector<std::vector<std::int32_t>>;

// Every test case of a file that coverage could read, in order.
key_lists read_test_cases(const std::string& test_case_file) {
  key_lists test_cases;
  stop why;
  std::optional<test_case_source> source = test_case_source::open(test_case_file.c_str(), why);
  const auto line = std::make_unique<key_line>();
  while (source && source->read_so_far() < source->num_test_cases()) {
    const std::optional<test_case> tc = source->next(*line, why);
    if (!tc) break;
    test_cases.emplace_back(tc->keys.begin(), tc->keys.end());
  }
  return test_cases;
}

variant_set caught_by(const coverage_report& report) {
  variant_set caught = 0;
  for (std::size_t v = 0; v < report.variants.size(); ++v) {
    if (report.variants[v].caught_by) caught |= bit_of(known_variants()[v]);
  }
  return caught;
}

// "1, 4 and 9".
void put_numbers(output& out, const std::vector<std::int32_t>& test_cases) {
  for (std::size_t i = 0; i < test_cases.size(); ++i) {
    if (i > 0) out.put(i + 1 == test_cases.size() ? " and " : ", ");
    out.put_int(std::int64_t{test_cases[i]} + 1);
  }
}

}  // namespace

int run_coverage(const std::string& test_case_file, bool json, output& out) {
  const coverage_report report = check_coverage(test_case_file);
  if (json) {
    print_coverage_json(out, report);
  } else {
    print_coverage_text(out, report);
  }
  return report.status();
}

int run_minimize(const std::string& test_case_file, output& out, output& err) {
  const coverage_report report =
      check_coverage(test_case_file, std::nullopt, {.every_test_case = true});
  if (report.status() == 2) {
    print_coverage_text(err, report);
    return 2;
  }
  const key_lists all = read_test_cases(test_case_file);
  const variant_set wanted = caught_by(report);
  // The subset is chosen by what each test case catches on its own; read as
  // one file it is checked again, and where a program gets through (a test
  // case before its catch read out of step), the test cases that catch it
  // are put back.
  std::vector<std::int32_t> kept = report.smallest_subset;
  for (std::size_t tries = 0; tries <= all.size(); ++tries) {
    key_lists subset;
    for (const std::int32_t t : kept) subset.push_back(all[static_cast<std::size_t>(t)]);
    const std::string text = test_case_file_text(subset);
    const coverage_report check = check_coverage("the subset", text);
    const variant_set missing = wanted & ~caught_by(check);
    if (missing == 0 && check.status() != 2) {
      out.put(text);
      err.put("runcheck-explain: kept ").put_int(std::ssize(kept)).put(" of ");
      err.put_int(report.num_test_cases).put(" test cases (");
      put_numbers(err, kept);
      err.put("); they catch the same ").put_int(report.caught()).put(" faulty programs\n");
      return 0;
    }
    for (std::int32_t t = 0; t < report.analysed; ++t) {
      if ((report.catches[static_cast<std::size_t>(t)] & missing) != 0 &&
          std::find(kept.begin(), kept.end(), t) == kept.end()) {
        kept.push_back(t);
        break;
      }
    }
    std::sort(kept.begin(), kept.end());
  }
  // Every test case kept: the file as it is.
  out.put(test_case_file_text(all));
  err.put("runcheck-explain: no smaller file catches as much; all ");
  err.put_int(report.num_test_cases).put(" test cases kept\n");
  return 0;
}

int run_make_tests(std::uint64_t seed, output& out, output& err) {
  const std::string file = make_test_case_file(seed);
  out.put(file);
  const coverage_report check = check_coverage("the file made", file);
  if (check.status() == 0 && check.exercised() == std::ssize(check.rules) &&
      check.out_of_step.count == 0 && check.warnings.empty()) {
    return 0;
  }
  err.put("runcheck-explain: the file made for this seed falls short; its coverage:\n");
  print_coverage_text(err, check);
  return 1;
}

int run_extend(const std::string& test_case_file, std::uint64_t seed, output& out, output& err) {
  const coverage_report report = check_coverage(test_case_file);
  if (report.status() == 2) {
    print_coverage_text(err, report);
    return 2;
  }
  key_lists test_cases = read_test_cases(test_case_file);
  const bool empty_last =
      report.count_alone.count > 0 && report.count_alone.first.back() + 1 == report.num_test_cases;
  const variant_set gaps = all_variants() & ~caught_by(report);
  if (gaps != 0 && empty_last) {
    err.put("runcheck-explain: ");
    put_escaped(err, test_case_file);
    err.put(
        ": its last test case has an empty first run, so a test case added after it would"
        " be read out of step; move it to the end yourself after extending the file\n");
    return 2;
  }
  const key_lists added = gaps == 0 ? key_lists{} : test_cases_catching(gaps, seed);
  test_cases.insert(test_cases.end(), added.begin(), added.end());
  const std::string text = test_case_file_text(test_cases);
  out.put(text);
  const coverage_report check = check_coverage("the file extended", text);
  err.put("runcheck-explain: ").put_int(std::ssize(added));
  err.put(added.size() == 1 ? " test case added after the " : " test cases added after the ");
  err.put_int(report.num_test_cases).put(" of the file; ");
  if (check.status() == 0) {
    err.put("all ").put_int(check.caught()).put(" known faulty programs caught\n");
    return 0;
  }
  err.put_int(check.caught()).put(" of ").put_int(std::ssize(check.variants));
  err.put(" known faulty programs caught\n");
  return check.status();
}

}  // namespace runcheck::explain
