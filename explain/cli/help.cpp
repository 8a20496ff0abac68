// The help: the usage lines, what the program does, and every option.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "explain/cli/formats.h"
#include "explain/cli/options.h"

namespace runcheck::explain {

const std::string_view usage =
    "usage: runcheck-explain [--format NAME] [--audience WHO] [--strict]\n"
    "                        [TEST_CASE_FILE [RUN_FILE...]]\n"
    "       runcheck-explain --format gradescope [--points TOTAL]\n"
    "                        [--visibility WHEN] TEST_CASE_FILE RUN_FILE\n"
    "       runcheck-explain --roster ROSTER [--format NAME] [TEST_CASE_FILE]\n"
    "       runcheck-explain --submissions FOLDER [--format NAME] [TEST_CASE_FILE]\n"
    "       runcheck-explain --format kattis INPUT ANSWER FEEDBACK_DIR < RUN_FILE\n"
    "       runcheck-explain --format testlib INPUT RUN_FILE ANSWER\n"
    "                        [REPORT_FILE [-appes]] [--testset NAME] [--group NAME]\n"
    "       runcheck-explain --format cms INPUT ANSWER RUN_FILE [MORE...]\n"
    "       runcheck-explain --trace N [TEST_CASE_FILE]\n"
    "       runcheck-explain --coverage [--json | --minimize] [TEST_CASE_FILE]\n"
    "       runcheck-explain --make-tests [--seed N] [--extend TEST_CASE_FILE]\n"
    "       runcheck-explain --stress [--seed N] [--tests N] [--time-limit SECONDS]\n"
    "                        [--stdout] [--json] -- COMMAND [ARGS...]\n";

namespace {

constexpr std::string_view help_before_formats =
    "\n"
    "Checks each RUN_FILE against the runs that replacement selection with a\n"
    "buffer of five records makes from the test cases in TEST_CASE_FILE, with\n"
    "runcheck's verdicts, and says where each run file goes wrong: the line, the\n"
    "run, the position and the keys, why the expected key comes next, and which\n"
    "faulty program writes such runs. Without files it reads replacement_input.txt\n"
    "and replacement_output.txt in the current folder; with TEST_CASE_FILE alone\n"
    "it checks replacement_output.txt. Each run file's summary line gives\n"
    "runcheck's count of test cases passed and, where it differs, how many pass\n"
    "independently: read from their own count line, as if no slip before them had\n"
    "put the file out of step (the score of csv, gradescope, prairielearn and cms).\n"
    "\n"
    "For the author of a test-case file, --coverage says which rules of\n"
    "replacement selection TEST_CASE_FILE exercises and which faulty programs it\n"
    "catches, and --make-tests writes a small test-case file that catches them all.\n"
    "\n"
    "For the author of a program, --stress runs COMMAND on many test-case files,\n"
    "each in a temporary folder as replacement_input.txt (and on standard input),\n"
    "checks the replacement_output.txt it writes there, and hands back the\n"
    "smallest file it gets wrong, saved as stress-failure.txt, with the runs\n"
    "expected beside its own and what is wrong with them.\n"
    "\n";

constexpr std::string_view help_after_formats =
    "  --json        the same as --format json: one JSON document per run file,\n"
    "                one per line (JSON Lines)\n"
    "  --audience WHO\n"
    "                instructor (the default) or student: for a student, text,\n"
    "                json and html leave out the expected listing\n"
    "  --roster ROSTER\n"
    "                grade every submission that ROSTER names, one run file a line\n"
    "                (a tab and the student's name after it, or the folder's name);\n"
    "                each is reported, a missing or unreadable one too\n"
    "  --submissions FOLDER\n"
    "                grade every student of a course tool's bulk download: a folder\n"
    "                per student (Moodle), or files named after the student\n"
    "                (Canvas), the run file replacement_output.txt in any case\n"
    "  --points TOTAL\n"
    "                gradescope: the points of the whole assignment, shared evenly\n"
    "                by the test cases (default: one point per test case)\n"
    "  --visibility WHEN\n"
    "                gradescope: when students see the tests: hidden,\n"
    "                after_due_date, after_published or visible (the default)\n"
    "  --strict      a warning fails its test case: numbers after a run's last key,\n"
    "                text after the last test case, keys outside -1..32767, a test\n"
    "                case stopped by the 500 passes\n"
    "  --trace N     print every step of test case N (from 1) of TEST_CASE_FILE:\n"
    "                the buffer before it, the key written or frozen, the key read\n"
    "                and the run; no run file is read\n"
    "  --coverage    report what TEST_CASE_FILE puts to the test; no run file\n"
    "  --minimize    with --coverage: write the fewest of TEST_CASE_FILE's test\n"
    "                cases that catch as much, as a test-case file\n"
    "  --make-tests  write a test-case file that catches every faulty program\n"
    "  --extend TEST_CASE_FILE\n"
    "                with --make-tests: write TEST_CASE_FILE with test cases added\n"
    "                after its own that catch what it lets through\n"
    "  --stress      run COMMAND (given after --, no shell) on test-case files until\n"
    "                it fails one, then shrink that file while it fails the same way\n"
    "  --tests N     --stress: the test-case files to run it on (default 200)\n"
    "  --time-limit SECONDS\n"
    "                --stress: the time each run may take (default 5); the program\n"
    "                and every process it started are ended then\n"
    "  --stdout      --stress: its runs are what it prints, not the run file it\n"
    "                writes\n"
    "  --seed N      the seed of --make-tests' keys (default 1), or of --stress'\n"
    "                files (default: one drawn at random, and said)\n"
    "  --help        print this help and exit\n"
    "  --version     print the version and exit\n"
    "\n"
    "Exit status: 0 every test case passed, 1 a test case failed, 2 the check\n"
    "could not run, the output could not be written or the arguments are wrong.\n"
    "With gradescope and prairielearn: 0 whenever the results are written (with\n"
    "gradescope, 2 and none written when the test-case file cannot be used). With\n"
    "kattis: 42 accepted, 43 wrong answer, 2 otherwise. With testlib: 0 accepted,\n"
    "1 wrong answer, 3 otherwise. With cms: 0 whenever the outcome is written.\n"
    "With --coverage, and --make-tests --extend: 0 every faulty program is caught,\n"
    "1 one passes the file, 2 the file cannot be used. With --stress: 0 no test\n"
    "failed, 1 one did, 2 the program could not be run.\n";

// `text` as lines of at most `width` characters, each after `indent`, cut
// at spaces; the first line's indent is left to the caller.
std::string wrapped(std::string_view text, std::size_t indent, std::size_t width) {
  std::string lines;
  std::size_t column = indent;
  while (!text.empty()) {
    const std::size_t end = std::min(text.find(' '), text.size());
    const std::string_view word = text.substr(0, end);
    text.remove_prefix(std::min(end + 1, text.size()));
    if (column > indent && column + 1 + word.size() > width) {
      lines.append("\n").append(indent, ' ');
      column = indent;
    } else if (column > indent) {
      lines += ' ';
      ++column;
    }
    lines += word;
    column += word.size();
  }
  return lines + "\n";
}

}  // namespace

std::string help() {
  std::vector<std::string_view> names;
  for (const format_row& row : formats()) names.push_back(row.help);
  constexpr std::size_t indent = 16;
  constexpr std::size_t width = 78;
  return std::string(usage) + std::string(help_before_formats) + "  --format NAME " +
         wrapped(spoken_list(names) +
                     ": what the report is printed as, each with its system's exit status "
                     "(below)",
                 indent, width) +
         std::string(help_after_formats);
}

}  // namespace runcheck::explain
