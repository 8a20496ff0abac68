#!/usr/bin/env python3
# Replacement selection with a buffer of five records: reads the test cases on
# standard input and writes each one's runs.
import sys

BUFFER = 5
CEILING = 32768  # keys from here on are never chosen
START = -1  # the last key written, before a run's first
BUDGET = 500  # passes per test case


def runs_of(keys):
    size = min(BUFFER, len(keys))
    key = keys[:size]
    frozen = [False] * size
    empty = [False] * size
    read, last, runs = size, START, [[]]
    for _ in range(BUDGET):
        chosen = [i for i in range(size) if not frozen[i] and not empty[i] and key[i] < CEILING]
        if chosen:
            i = min(chosen, key=lambda i: key[i])  # the lowest slot of the smallest key
            if key[i] < last:
                frozen[i] = True
                continue
            runs[-1].append(key[i])
            last = key[i]
            if read < len(keys):
                key[i], read = keys[read], read + 1
            else:
                empty[i] = True
        elif any(frozen) and all(frozen[i] or empty[i] for i in range(size)):
            frozen = [False] * size  # they melt: the next run begins
            runs.append([])
            last = START
        else:
            break
    return runs


def main():
    numbers = iter(sys.stdin.read().split())
    out = []
    for _ in range(int(next(numbers))):
        keys = [int(next(numbers)) for _ in range(int(next(numbers)))]
        runs = runs_of(keys)
        out.append(str(len(runs)))
        out.extend(" ".join(map(str, run)) for run in runs)
    sys.stdout.write("\n".join(out) + "\n")


main()
