#include "explain/stress/stress.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <random>

#include "explain/stress/hand_back.h"
#include "platform/platform.h"
#include "runs/limits.h"

namespace runcheck::explain {

namespace {

// The temporary folder of one stress run, removed when it goes out of
// scope, whatever the path out.
class session_folder {
 public:
  session_folder() : path_(platform::make_temporary_folder()) {}
  session_folder(const session_folder&) = delete;
  session_folder& operator=(const session_folder&) = delete;
  ~session_folder() {
    if (!path_.empty()) platform::remove_folder(path_);
  }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// The command as the program is run in a folder of its own: an argument
// naming a file or folder from the current folder (a script, a class
// path) is given as an absolute path, which names the same. The program
// itself is found from the current folder by the platform.
std::vector<std::string> command_for_folder(const std::vector<std::string>& command) {
  namespace fs = std::filesystem;
  std::vector<std::string> result = command;
  const std::string here = platform::current_folder();
  for (std::size_t i = 1; i < result.size(); ++i) {
    const fs::path path(std::u8string(result[i].begin(), result[i].end()));
    std::error_code error;
    if (result[i].empty() || path.is_absolute() || !fs::exists(path, error)) continue;
    const std::u8string absolute =
        (fs::path(std::u8string(here.begin(), here.end())) / path).u8string();
    result[i].assign(absolute.begin(), absolute.end());
  }
  return result;
}

std::uint64_t drawn_seed() {
  std::random_device device;
  const auto now =
      static_cast<std::uint64_t>(std::chrono::system_clock::now().time_since_epoch().count());
  // Short enough to type again.
  return ((std::uint64_t{device()} << 32) ^ device() ^ now) % 1000000;
}

bool save(const test_case_file& file) {
  const platform::file_handle saved = platform::create_file(stress_failure_file);
  if (saved == platform::file_handle::none) return false;
  const bool written = platform::write_all(saved, file_text(file));
  platform::close_file(saved);
  return written;
}

// Why the stress run could not go on, on `err`; 2.
int cannot_run(output& err, std::string_view why) {
  err.put("runcheck-explain: ").put(why).put('\n');
  return 2;
}

// The test cases tried alone for one whose runs are recognised.
constexpr std::size_t max_tried_alone = 20;

// Shrinks the failure of `failure.first` on `failure.found`. Where the
// runs are wrong but no faulty program is recognised in them (a test case
// put the file out of step, say), test cases are first tried alone for
// one that fails with its program recognised, and that failure is shrunk.
// A time-out is shrunk with a shorter limit (ten times the slowest run that
// ended, at least half a second): a program that loops for ever loops
// within it too, and the smallest file is then tried once with the whole
// limit.
void shrink_failure(const trial_setup& setup, stress_failure& failure, double slowest) {
  trial_setup shrinking = setup;
  if (failure.first.kind == failure_kind::timed_out)
    shrinking.time_limit = std::min(setup.time_limit, std::max(0.5, 10 * slowest));
  trial_result target = failure.first;
  test_case_file start = failure.found;
  int runs = 0;
  if (target.kind == failure_kind::wrong_runs && !target.recognised &&
      start.test_cases.size() > 1) {
    // Plain test cases first, which a student reads most easily: keys from
    // 0 to 32767, then keys from -1, then keys outside the range.
    std::vector<std::size_t> order(start.test_cases.size());
    for (std::size_t t = 0; t < order.size(); ++t) order[t] = t;
    const auto oddness = [&](std::size_t t) {
      int odd = 0;
      for (const std::int32_t k : start.test_cases[t])
        odd = std::max(odd, k < lowest_written_key || k > highest_written_key ? 2 : k < 0 ? 1 : 0);
      return odd;
    };
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return oddness(a) < oddness(b); });
    order.resize(std::min(order.size(), max_tried_alone));
    for (const std::size_t t : order) {
      const test_case_file alone{.test_cases = {failure.found.test_cases[t]}};
      if (!fair_test(alone)) continue;
      trial_result result = run_trial(shrinking, alone);
      ++runs;
      if (result.kind == failure_kind::wrong_runs && result.recognised) {
        target = std::move(result);
        start = alone;
        break;
      }
    }
  }
  std::optional<trial_result> last;
  test_case_file last_file;
  const shrink_predicate fails = [&](const test_case_file& candidate) {
    trial_result result = run_trial(shrinking, candidate);
    if (result.kind == failure_kind::interrupted || result.kind == failure_kind::not_started)
      return shrink_answer::stop;
    if (!result.same_failure(target)) return shrink_answer::other;
    last = std::move(result);
    last_file = candidate;
    return shrink_answer::same_failure;
  };
  // The test case tried alone first: one whose runs are recognised, or the
  // first that fails.
  std::optional<std::size_t> first_failing;
  if (target.recognised_in) {
    first_failing = static_cast<std::size_t>(*target.recognised_in);
  } else if (!target.failed_test_cases.empty()) {
    first_failing = static_cast<std::size_t>(target.failed_test_cases.front());
  }
  failure.shrunk = shrink(start, fails, max_shrink_runs - runs, first_failing);
  failure.shrunk.runs += runs;
  if (last && last_file == failure.shrunk.file) {
    failure.last = std::move(*last);
  } else if (failure.shrunk.file == start) {
    failure.last = target;
  } else {
    failure.last = run_trial(setup, failure.shrunk.file);
  }
  if (shrinking.time_limit < setup.time_limit && !platform::interrupted()) {
    failure.last = run_trial(setup, failure.shrunk.file);
    if (!failure.last.same_failure(failure.first)) {
      failure.slow_not_stuck = true;
      failure.shrunk.file = failure.found;
      failure.last = failure.first;
    }
  }
}

}  // namespace

int run_stress(const stress_options& options, output& out, output& err) {
  stress_run run{.options = options};
  if (!options.seed_given) run.options.seed = drawn_seed();
  const session_folder session;
  if (session.path().empty()) return cannot_run(err, "cannot make a temporary folder");
  platform::catch_interrupts();
  // Java finds the classes of the current folder, as it would there.
  if (std::getenv("CLASSPATH") == nullptr)
    platform::set_environment("CLASSPATH", platform::current_folder());
  const trial_setup setup{.command = command_for_folder(options.command),
                          .session_folder = session.path(),
                          .from_stdout = options.from_stdout,
                          .time_limit = options.time_limit};

  double slowest = 0;  // the slowest run that ended by itself
  for (std::int64_t test = 1; test <= options.tests; ++test) {
    if (platform::interrupted()) return cannot_run(err, "interrupted");
    const test_case_file file = stress_test_file(run.options.seed, test);
    trial_result result = run_trial(setup, file);
    run.tests_run = test;
    if (result.kind == failure_kind::not_started) {
      return cannot_run(err, "cannot start " + command_line(options.command) + ": " + result.why);
    }
    if (result.kind == failure_kind::interrupted) return cannot_run(err, "interrupted");
    if (result.kind != failure_kind::timed_out) slowest = std::max(slowest, result.seconds);
    if (result.kind != failure_kind::none) {
      run.failure = stress_failure{.test = test, .found = file, .first = std::move(result)};
      break;
    }
  }
  std::optional<run_file_report> report;
  if (run.failure) {
    shrink_failure(setup, *run.failure, slowest);
    if (platform::interrupted()) return cannot_run(err, "interrupted");
    run.failure->saved = save(run.failure->shrunk.file);
    const std::string folder = session.path() + "/report";
    if (platform::make_folder(folder))
      report = report_on(*run.failure, folder, options.from_stdout, options.json);
  }
  if (options.json) {
    print_stress_json(out, run, report);
  } else {
    print_stress_text(out, run, report);
  }
  return run.failure ? 1 : 0;
}

}  // namespace runcheck::explain
