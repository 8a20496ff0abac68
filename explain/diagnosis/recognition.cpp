#include "explain/diagnosis/recognition.h"

#include <algorithm>

namespace runcheck::explain {

namespace {

bool same_lines(const laid_runs& lines, const run_list& runs) {
  if (lines.ends.size() != runs.size()) return false;
  std::size_t begin = 0;
  for (std::size_t r = 0; r < runs.size(); ++r) {
    const std::size_t end = lines.ends[r];
    if (!std::equal(lines.keys.begin() + static_cast<std::ptrdiff_t>(begin),
                    lines.keys.begin() + static_cast<std::ptrdiff_t>(end), runs[r].begin(),
                    runs[r].end()))
      return false;
    begin = end;
  }
  return true;
}

}  // namespace

variant_match match_of(variant_set set) {
  variant_match match{.name = first_of(set).name, .description = describe(set)};
  for (const variant& v : known_variants()) {
    if ((set & bit_of(v)) != 0) match.alternatives.push_back(v.name);
  }
  return match;
}

std::optional<variant_match> program_recognition::compare(std::span<const std::int32_t> keys,
                                                          const laid_runs& runs,
                                                          bool edges_matter) {
  variant_set tried = all_variants();
  if (!edges_matter) {
    for (const variant& v : known_variants()) {
      if (differs_only_at_the_edges(v)) tried &= ~bit_of(v);
    }
  }
  // Lines read as the right runs (the count alone wrong, say) are no
  // program's mistake: every program that writes them writes the right runs.
  variant_set found = 0;
  if (!same_lines(runs, reference_runs(keys))) found = recognise(keys, runs, tried);
  // Those that explain every failing test case: the first one's, then
  // those of them that write every later one's runs too (an edge program
  // left out here writes the right runs, not these).
  file_programs_ &= found;
  ++failing_;
  if (found == 0) return std::nullopt;
  return match_of(found);
}

void program_recognition::compare_with_file_program(std::span<const std::int32_t> keys,
                                                    const laid_runs& runs) {
  for (const variant& v : known_variants()) {
    if ((file_programs_ & bit_of(v)) != 0 && !writes(v, keys, runs)) file_programs_ &= ~bit_of(v);
  }
  ++failing_;
}

void program_recognition::not_compared() {
  file_programs_ = 0;
  ++failing_;
}

std::optional<variant_match> program_recognition::file_program() const {
  if (file_programs_ == 0 || failing_ == 0) return std::nullopt;
  return match_of(file_programs_);
}

}  // namespace runcheck::explain
