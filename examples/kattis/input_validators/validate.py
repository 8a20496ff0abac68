#!/usr/bin/env python3
# The input validator: exits 42 when standard input is a well-formed input,
# 43 otherwise, saying why on standard error. A well-formed input is the
# number of test cases (1 to 100) alone on its line, then for each test case
# the number of its keys (1 to 100) alone on a line and the keys (-1 to
# 32767) on the next, separated by single spaces, every line ending with a
# line feed, nothing after the last.
import re
import sys

NUMBER = re.compile(rb"0|-?[1-9][0-9]*")


def numbers(line, low, high):
    """The numbers of a line, each from low to high; ValueError when it holds anything else."""
    if not line.endswith(b"\n"):
        raise ValueError("a line without its line feed")
    words = line[:-1].split(b" ")
    if not all(NUMBER.fullmatch(w) for w in words):
        raise ValueError(f"not numbers separated by single spaces: {line[:40]!r}")
    values = [int(w) for w in words]
    if not all(low <= v <= high for v in values):
        raise ValueError(f"a number outside {low}..{high}")
    return values


def check(lines):
    (count,) = numbers(next(lines), 1, 100)
    for _ in range(count):
        (n,) = numbers(next(lines), 1, 100)
        if len(numbers(next(lines), -1, 32767)) != n:
            raise ValueError("a key line that does not hold its number of keys")
    if next(lines, None) is not None:
        raise ValueError("text after the last test case")


try:
    check(iter(sys.stdin.buffer.read().splitlines(keepends=True)))
except (ValueError, StopIteration) as why:
    print(why or "the input ends early", file=sys.stderr)
    sys.exit(43)
sys.exit(42)
