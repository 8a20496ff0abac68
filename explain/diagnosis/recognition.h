// Recognising the program: which faulty program of the catalogue
// (variants.h) wrote the runs a failing test case holds, and which one
// explains every failing test case of a run file.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "explain/diagnosis/variants.h"
#include "explain/report/report.h"

namespace runcheck::explain {

// Takes a run file's failing test cases in file order, each through exactly
// one of compare(), compare_with_file_program() and not_compared().
class program_recognition {
 public:
  // A failing test case compared with every program: `keys` its keys, `runs`
  // its run lines as the check read them; `edges_matter` as recognise()
  // takes it. Gives the program whose runs these are, if one is.
  std::optional<variant_match> compare(std::span<const std::int32_t> keys, const laid_runs& runs,
                                       bool edges_matter);

  // A failing test case past those compared in full: compared only with the
  // program that explains every failing test case so far.
  void compare_with_file_program(std::span<const std::int32_t> keys, const laid_runs& runs);

  // A failing test case whose runs cannot be compared: read out of step, or
  // its keys or its lines not to be had.
  void not_compared();

  // Whether a program still explains every failing test case so far: only
  // then is a test case past those compared in full worth its keys and runs.
  bool file_program_open() const { return possible_ && file_program_ != nullptr; }

  // The program that explains every failing test case; none where none
  // does, or no test case failed.
  std::optional<variant_match> file_program() const;

 private:
  const variant* file_program_ = nullptr;  // the first failing test case's
  bool possible_ = true;
  std::int64_t failing_ = 0;
};

}  // namespace runcheck::explain
