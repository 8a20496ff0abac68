// Where a test case's lines really stand in a run file, whatever runcheck's
// reading of them: the arithmetic of the in-step rule (in_step.h) and of the
// independent score.
//
// Given the line that holds a test case's count, its block is the lines its
// author wrote for it, and the next test case's count stands on the first
// line after them that is not blank. The block is one of two, tried in this
// order:
// - its runs as the listing has them, in whatever lines: the test case's
//   keys, run after run, read from the words of the count line after the
//   count and of the lines after it, blank lines and words that are not
//   numbers passed over, up to a line that ends with the last key. So a
//   blank line between runs, a count followed by a word, a run over two
//   lines or one key a line, two runs on one line, a line of 2000
//   characters or more and a count that says more or fewer runs than it has
//   all take the lines they take in the file.
// - as many run lines as its count says (the first on the count line where
//   numbers follow the count there), as a program that writes other runs
//   writes them: the count is the file's own.
// A block counts only where the line after it is a next test case's count:
// the first line of the next test case's expected lines exactly, or the
// block's last line when they stand from there (a run line missing), or the
// line after the first when they stand from there (an extra line); a
// line of one word (a number or not); a line whose count read gives the
// next test case's expected count; or the end of the file. And where the
// next test case's expected lines stand exactly on the count line itself,
// this test case is missing: the next count stands there. Where neither block does,
// the rule cannot tell where the next test case's lines stand.
#pragma once

#include <cstdint>
#include <optional>

#include "explain/diagnosis/run_file_lines.h"
#include "runs/run_table.h"

namespace runcheck::explain {

// The line that holds the next test case's count (0: the end of the file),
// where the count of the test case whose runs are `expected` stands on line
// `count_line` (0: the end of the file); `next` are the next test case's
// expected runs, none after the last. Nothing when the rule cannot tell.
// Reads `lines` from `count_line` on.
std::optional<std::int64_t> next_count_line(run_file_lines& lines, std::int64_t count_line,
                                            const run_set& expected, const run_set* next);

// True when the test case's expected lines stand exactly from line
// `count_line` on: its count alone, then each run's keys alone, a blank line
// for an empty run, nothing but single spaces between words.
bool block_at(run_file_lines& lines, std::int64_t count_line, const run_set& expected);

}  // namespace runcheck::explain
