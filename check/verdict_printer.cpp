#include "check/verdict_printer.h"

namespace runcheck {

namespace {

class verdict_printer final : public check_observer {
 public:
  explicit verdict_printer(output& out) : out_(out) {}

  void count_read(const count_report& count) override {
    const std::int64_t number = std::int64_t{count.test_case} + 1;
    out_.put("Testing test case ").put_int(number).put(".........\n");
    if (count.found != count.expected) {
      out_.put("The number of runs in test case ").put_int(number).put(" is wrong.\n");
    }
  }

  void wrong_run(const run_report& run) override {
    out_.put("run ").put_int(run.run).put(" is wrong\n");
  }

  void test_case_checked(std::int32_t /*test_case*/, bool passed) override {
    out_.put(passed ? "....PASSED\n" : "....FAILED\n");
  }

 private:
  output& out_;
};

}  // namespace

check_result print_check(text_reader& file, const run_table& table, key_line& line, output& out) {
  verdict_printer printer(out);
  const check_result result = check_run_file(file, table, line, printer);
  out.put("================================================\n");
  out.put(result.all_passed ? "Your File PASS the TEST\n" : "Your File CANNOT PASS the TEST\n");
  return result;
}

}  // namespace runcheck
