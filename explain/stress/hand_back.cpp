#include "explain/stress/hand_back.h"

#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include <algorithm>
#include <charconv>
#include <memory>

#include "explain/diagnosis/diagnosis.h"
#include "explain/printers/json_printer.h"
#include "explain/printers/text_printer.h"
#include "explain/report/encoding.h"
#include "generation/expected_runs.h"
#include "input/reading.h"
#include "platform/platform.h"
#include "runs/listing.h"

namespace runcheck::explain {

namespace {

// The name the run file goes by in the hand-back.
std::string_view run_file_shown(bool from_stdout) {
  return from_stdout ? "standard output" : run_file_name;
}

// Hands the reports on, under the names the student knows the files by.
class renaming_printer final : public report_printer {
 public:
  renaming_printer(report_printer& printer, std::string_view run_file)
      : printer_(printer), run_file_(run_file) {}

  void file_begun(const file_summary& summary) override { printer_.file_begun(renamed(summary)); }
  void test_case(const file_summary& summary, const test_case_report& report) override {
    printer_.test_case(renamed(summary), report);
  }
  void file_ended(const file_summary& summary) override { printer_.file_ended(renamed(summary)); }
  void all_files_ended() override { printer_.all_files_ended(); }

 private:
  file_summary renamed(const file_summary& summary) const {
    file_summary copy = summary;
    copy.test_case_file = stress_failure_file;
    copy.run_file = run_file_;
    return copy;
  }

  report_printer& printer_;
  std::string run_file_;
};

// The expected listing of `file`.
std::string expected_listing(const test_case_file& file) {
  const auto line = std::make_unique<key_line>();
  stop why;
  const std::optional<expected_runs> expected =
      generate_expected_runs(read_text(file_text(file)), *line, nullptr, why);
  output listing;
  if (expected) print_listing(listing, expected->table);
  return listing.text();
}

std::vector<std::string_view> lines_of(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    const std::size_t end = std::min(text.find('\n'), text.size());
    lines.push_back(text.substr(0, end));
    text.remove_prefix(std::min(text.size(), end + 1));
  }
  return lines;
}

// Seconds in the fewest digits that read back the same: 5, 0.5, 2.25.
std::string seconds_text(double seconds) {
  char digits[32];
  const auto result = std::to_chars(digits, digits + sizeof digits, seconds);
  return {digits, result.ptr};
}

// What the hand-back says of a failure, after "fails: ".
std::string failure_words(const trial_result& trial, const stress_options& options) {
  switch (trial.kind) {
    case failure_kind::wrong_runs:
      return trial.failed_test_cases.size() == 1 ? "the runs of a test case are wrong"
                                                 : "the runs of some test cases are wrong";
    case failure_kind::no_run_file:
      return options.from_stdout ? "the program printed nothing"
                                 : std::string("the program wrote no ") + run_file_name;
    case failure_kind::too_much_output: {
      const char* const what[] = {"printed", "printed to standard error", "wrote to its run file"};
      return std::string("the program ") + what[std::clamp<std::int64_t>(trial.code, 0, 2)] +
             " more than 1 MiB: ended";
    }
    case failure_kind::crashed:
      return "the program crashed (" + platform::crash_name(trial.code) + ")";
    case failure_kind::exit_status:
      return "the program ended with exit status " + std::to_string(trial.code);
    case failure_kind::timed_out:
      return "the program was still running after " + seconds_text(options.time_limit) +
             " s: ended, with every process it started";
    case failure_kind::none:
    case failure_kind::not_started:
    case failure_kind::interrupted:
      break;
  }
  return "";
}

void put_indented(output& out, std::string_view text, std::size_t most_lines = 60) {
  std::size_t n = 0;
  const std::vector<std::string_view> lines = lines_of(text);
  for (const std::string_view line : lines) {
    if (n++ == most_lines) {
      out.put("  ... (")
          .put_int(static_cast<std::int64_t>(lines.size() - most_lines))
          .put(" more lines)\n");
      break;
    }
    out.put("  ");
    put_escaped(out, line.substr(0, 200));
    if (line.size() > 200) out.put(" ...");
    out.put('\n');
  }
}

// The expected listing beside what the program wrote, line by line; a row
// that the rows below it repeat three times or more (the empty runs of a test
// case that spends the budget) is counted, not printed again.
void put_side_by_side(output& out, std::string_view expected, std::string_view written,
                      std::string_view written_name) {
  constexpr std::size_t most_rows = 40;
  constexpr std::size_t widest = 36;
  constexpr std::size_t widest_written = 60;
  const std::vector<std::string_view> left = lines_of(expected);
  const std::vector<std::string_view> right = lines_of(written);
  std::size_t width = std::string_view("expected").size();
  for (const std::string_view l : left) width = std::max(width, std::min(l.size(), widest));
  const auto cell = [](std::string_view text, std::size_t most) {
    output shown;
    put_escaped(shown, text.substr(0, text.size() > most ? most - 4 : text.size()));
    if (text.size() > most) shown.put(" ...");
    return shown.text();
  };
  const auto row_of = [&](std::size_t i) {
    std::string row = cell(i < left.size() ? left[i] : "", width);
    row.resize(std::max(row.size(), width), ' ');
    row += " |";
    if (i < right.size() && !right[i].empty()) row += " " + cell(right[i], widest_written);
    return row;
  };
  out.put("  expected").put(std::string(width - 8, ' '));
  out.put(" | ").put(written_name).put('\n');
  // Rows, each `row_of` one line of each side.
  const std::size_t rows = std::max(left.size(), right.size());
  std::size_t printed = 0;
  for (std::size_t i = 0; i < rows && printed < most_rows;) {
    std::string row = row_of(i);
    // A few alike (a count line and a run of one key) are printed; a row
    // alike many times over is counted.
    constexpr std::size_t counted = 4;
    std::size_t same = 1;
    while (i + same < rows && row_of(i + same) == row) ++same;
    if (same < counted) same = 1;
    out.put("  ").put(row).put('\n');
    if (same > 1)
      out.put("  ... the same ").put_int(static_cast<std::int64_t>(same - 1)).put(" more times\n");
    printed += same > 1 ? 2 : 1;
    i += same;
    if (printed >= most_rows && i < rows)
      out.put("  ... (").put_int(static_cast<std::int64_t>(rows - i)).put(" more lines)\n");
  }
}

std::string describe(const test_case_file& file) {
  const std::int64_t cases = std::ssize(file.test_cases);
  const std::int64_t keys = file.key_count();
  return std::to_string(cases) + (cases == 1 ? " test case of " : " test cases of ") +
         std::to_string(keys) + (keys == 1 ? " key" : " keys");
}

}  // namespace

std::optional<run_file_report> report_on(const stress_failure& failure, const std::string& folder,
                                         bool from_stdout, bool json) {
  if (failure.last.kind != failure_kind::wrong_runs) return std::nullopt;
  const std::string test_case_path = folder + "/" + default_test_case_file;
  const std::string run_path = folder + "/" + run_file_name;
  if (!platform::write_text_file(test_case_path, file_text(failure.shrunk.file)) ||
      !platform::write_text_file(run_path, failure.last.run_file))
    return std::nullopt;
  output text;
  run_file_report report{.variant = failure.last.recognised};
  if (json) {
    json_printer printer(text);
    renaming_printer renamed(printer, run_file_shown(from_stdout));
    report_files(test_case_path, run_path, renamed);
  } else {
    text_printer printer(text);
    renaming_printer renamed(printer, run_file_shown(from_stdout));
    report_files(test_case_path, run_path, renamed);
  }
  report.text = text.text();
  while (!report.text.empty() && report.text.back() == '\n') report.text.pop_back();
  return report;
}

std::vector<std::string> reproducing_command(const stress_run& run) {
  const stress_options& given = run.options;
  std::vector<std::string> command = {"runcheck-explain", "--stress", "--seed",
                                      std::to_string(given.seed)};
  if (run.failure) {
    command.insert(command.end(), {"--tests", std::to_string(run.failure->test)});
  } else if (given.tests != 200) {
    command.insert(command.end(), {"--tests", std::to_string(given.tests)});
  }
  if (given.time_limit_given)
    command.insert(command.end(), {"--time-limit", seconds_text(given.time_limit)});
  if (given.from_stdout) command.emplace_back("--stdout");
  if (given.json) command.insert(command.end(), {"--format", "json"});
  command.emplace_back("--");
  command.insert(command.end(), given.command.begin(), given.command.end());
  return command;
}

std::string command_line(const std::vector<std::string>& command) {
  std::string line;
  for (const std::string& word : command) {
    if (!line.empty()) line += ' ';
    const bool plain = !word.empty() && word.find_first_not_of(
                                            "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"
                                            "0123456789_-+=./:,@%") == std::string::npos;
    if (plain) {
      line += word;
      continue;
    }
    // In double quotes, which both POSIX shells and Windows' read; the
    // characters a POSIX shell still reads there behind a backslash.
    line += '"';
    for (const char c : word) {
      if (c == '"' || c == '\\' || c == '$' || c == '`') line += '\\';
      line += c;
    }
    line += '"';
  }
  return line;
}

void print_stress_text(output& out, const stress_run& run,
                       const std::optional<run_file_report>& report) {
  const stress_options& given = run.options;
  if (!run.failure) {
    out.put("runcheck-explain --stress: ")
        .put_int(run.tests_run)
        .put(run.tests_run == 1 ? " test" : " tests")
        .put(" passed (seed ")
        .put(std::to_string(given.seed))
        .put("); no failure found.\n");
    return;
  }
  const stress_failure& f = *run.failure;
  out.put("runcheck-explain --stress: test ")
      .put_int(f.test)
      .put(" of ")
      .put_int(given.tests)
      .put(" fails: ")
      .put(failure_words(f.first, given))
      .put(".\n");
  if (f.slow_not_stuck) {
    out.put(
           "Files smaller than the one found ended within a shorter limit, but the smallest\n"
           "ran to the end within the whole limit: the program is slow there, not stuck.\n"
           "The file found, ")
        .put(describe(f.found))
        .put(", saved as ")
        .put(stress_failure_file)
        .put(":\n");
  } else {
    out.put("Shrunk from ")
        .put(describe(f.found))
        .put(" to ")
        .put(describe(f.shrunk.file))
        .put(" in ")
        .put_int(f.shrunk.runs)
        .put(f.shrunk.runs == 1 ? " run" : " runs");
    if (f.shrunk.cut_short) {
      out.put(", cut short:\nno more runs, so dropping a key may still leave a failing file");
    }
    out.put(f.saved ? std::string_view(", saved as ") : std::string_view(", not saved ("))
        .put(stress_failure_file)
        .put(f.saved ? ":\n" : " could not be written):\n");
  }
  put_indented(out, file_text(f.shrunk.file));
  const trial_result& last = f.last;
  if (last.kind != f.first.kind) {
    out.put("On it, though, ").put(failure_words(last, given)).put(".\n");
  }
  out.put("The runs, expected beside the program's:\n");
  put_side_by_side(out, expected_listing(f.shrunk.file),
                   last.has_run_file ? std::string_view(last.run_file) : std::string_view(),
                   last.has_run_file ? run_file_shown(given.from_stdout) : "(no run file)");
  if (!given.from_stdout && last.kind == failure_kind::no_run_file && last.printed > 0) {
    out.put("It printed ")
        .put_int(last.printed)
        .put(" bytes to standard output: if those are its runs, add --stdout.\n");
  }
  if (!last.errors.empty()) {
    out.put("Its standard error ended with:\n");
    put_indented(out, last.errors, 10);
  }
  if (report) {
    out.put("What runcheck-explain says of ").put(run_file_shown(given.from_stdout)).put(":\n");
    put_indented(out, report->text, 200);
  }
  out.put("Seed ")
      .put(std::to_string(given.seed))
      .put(". To run this test again:\n  ")
      .put(command_line(reproducing_command(run)))
      .put('\n');
}

namespace {

using json_writer = rapidjson::Writer<rapidjson::StringBuffer>;

void put_json_string(json_writer& json, std::string_view text) {
  std::string replaced;
  const std::string_view valid = valid_utf8(text, replaced);
  json.String(valid.data(), static_cast<rapidjson::SizeType>(valid.size()));
}

void put_json_key(json_writer& json, std::string_view key) {
  json.Key(key.data(), static_cast<rapidjson::SizeType>(key.size()));
}

void put_file_json(json_writer& json, const test_case_file& file) {
  json.StartObject();
  put_json_key(json, "test_cases");
  json.Int64(std::ssize(file.test_cases));
  put_json_key(json, "keys");
  json.Int64(file.key_count());
  put_json_key(json, "text");
  put_json_string(json, file_text(file));
  json.EndObject();
}

}  // namespace

void print_stress_json(output& out, const stress_run& run,
                       const std::optional<run_file_report>& report) {
  rapidjson::StringBuffer buffer;
  json_writer json(buffer);
  json.StartObject();
  put_json_key(json, "seed");
  json.Uint64(run.options.seed);
  put_json_key(json, "tests");
  json.Int64(run.options.tests);
  put_json_key(json, "tests_run");
  json.Int64(run.tests_run);
  put_json_key(json, "failure");
  if (!run.failure) {
    json.Null();
  } else {
    const stress_failure& f = *run.failure;
    json.StartObject();
    put_json_key(json, "test");
    json.Int64(f.test);
    put_json_key(json, "kind");
    put_json_string(json, failure_name(f.first.kind));
    put_json_key(json, "exit_status");
    if (f.first.kind == failure_kind::exit_status) {
      json.Int64(f.first.code);
    } else {
      json.Null();
    }
    put_json_key(json, "crash");
    if (f.first.kind == failure_kind::crashed) {
      put_json_string(json, platform::crash_name(f.first.code));
    } else {
      json.Null();
    }
    put_json_key(json, "found");
    put_file_json(json, f.found);
    put_json_key(json, "smallest");
    put_file_json(json, f.shrunk.file);
    put_json_key(json, "saved_as");
    if (f.saved) {
      put_json_string(json, stress_failure_file);
    } else {
      json.Null();
    }
    put_json_key(json, "shrink_runs");
    json.Int(f.shrunk.runs);
    put_json_key(json, "cut_short");
    json.Bool(f.shrunk.cut_short);
    put_json_key(json, "slow_not_stuck");
    json.Bool(f.slow_not_stuck);
    put_json_key(json, "last_kind");
    put_json_string(json, failure_name(f.last.kind));
    put_json_key(json, "expected_runs");
    put_json_string(json, expected_listing(f.shrunk.file));
    put_json_key(json, "runs_written");
    if (f.last.has_run_file) {
      put_json_string(json, f.last.run_file);
    } else {
      json.Null();
    }
    put_json_key(json, "printed");
    json.Int64(f.last.printed);
    put_json_key(json, "errors");
    put_json_string(json, f.last.errors);
    put_json_key(json, "variant");
    if (report && report->variant) {
      json.StartObject();
      put_json_key(json, "name");
      put_json_string(json, report->variant->name);
      put_json_key(json, "description");
      put_json_string(json, report->variant->description);
      json.EndObject();
    } else {
      json.Null();
    }
    put_json_key(json, "report");
    if (report) {
      json.RawValue(report->text.data(), report->text.size(), rapidjson::kObjectType);
    } else {
      json.Null();
    }
    json.EndObject();
  }
  put_json_key(json, "reproduce");
  json.StartArray();
  for (const std::string& word : reproducing_command(run)) put_json_string(json, word);
  json.EndArray();
  json.EndObject();
  out.put(std::string_view(buffer.GetString(), buffer.GetSize())).put('\n');
}

}  // namespace runcheck::explain
