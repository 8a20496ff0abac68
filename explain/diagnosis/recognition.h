// Recognising the program: which faulty programs of the catalogue
// (variants.h) write the runs a failing test case holds, every one of them,
// and which explain every failing test case of a run file.
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
  // its run lines as the check read them. Unless `edges_matter` (keys
  // outside -1..32767, or a budget the right program runs out of), the
  // programs that differ only at those edges write the right runs, which a
  // failing test case does not hold, and are not played. Gives the programs
  // whose runs these are, if any are.
  std::optional<variant_match> compare(std::span<const std::int32_t> keys, const laid_runs& runs,
                                       bool edges_matter);

  // A failing test case past those compared in full: compared only with the
  // programs that explain every failing test case so far.
  void compare_with_file_program(std::span<const std::int32_t> keys, const laid_runs& runs);

  // A failing test case whose runs cannot be compared: read out of step, or
  // its keys or its lines not to be had.
  void not_compared();

  // Whether a program still explains every failing test case so far: only
  // then is a test case past those compared in full worth its keys and runs.
  bool file_program_open() const { return file_programs_ != 0; }

  // The programs that explain every failing test case; none where none
  // does, or no test case failed.
  std::optional<variant_match> file_program() const;

 private:
  // Those that write the runs of every failing test case so far.
  variant_set file_programs_ = all_variants();
  std::int64_t failing_ = 0;
};

// The match that names the programs of `set` (not empty).
variant_match match_of(variant_set set);

}  // namespace runcheck::explain
