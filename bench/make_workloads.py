#!/usr/bin/env python3
"""Writes the benchmark workloads, one folder each, under OUT_DIR.

Each folder holds replacement_input.txt and replacement_output.txt. Where the
run file is the expected listing, it is cut out of what the given runcheck
binary prints with no run file, so it matches the program byte for byte.

    make_workloads.py RUNCHECK_BINARY OUT_DIR [H]

With H, only workload H (a class for the HTML page) is written.

The keys come from a fixed seed: the files are the same on every run.
"""

import os
import random
import subprocess
import sys

LISTING_START = b"=========================> Output File should be..\n"
LISTING_END = b"<===============================================\n"


def write(path, data):
    with open(path, "wb") as f:
        f.write(data)


def test_case_file(cases):
    parts = [b"%d\n" % len(cases)]
    for keys in cases:
        parts.append(b"%d\n" % len(keys))
        parts.append(" ".join(map(str, keys)).encode() + b"\n")
    return b"".join(parts)


def expected_listing(binary, folder):
    """The listing runcheck prints for folder's test-case file."""
    run_file = os.path.join(folder, "replacement_output.txt")
    if os.path.exists(run_file):
        os.remove(run_file)
    out = subprocess.run([binary], cwd=folder, stdin=subprocess.DEVNULL,
                         stdout=subprocess.PIPE, check=True).stdout
    start = out.index(LISTING_START) + len(LISTING_START)
    end = out.index(LISTING_END, start)
    return out[start:end]


def split_first_count(listing):
    """The first test case's count line, its run lines, and the rest."""
    first_line_end = listing.index(b"\n") + 1
    count = int(listing[:first_line_end])
    pos = first_line_end
    for _ in range(count):
        pos = listing.index(b"\n", pos) + 1
    return listing[:first_line_end], listing[first_line_end:pos], listing[pos:]


def make(binary, out_dir, name, cases, run_file=None, listing=None):
    """Writes one workload; run_file(listing) gives the run file's bytes.
    The listing is cut out of the binary's output unless it is given."""
    folder = os.path.join(out_dir, name)
    os.makedirs(folder, exist_ok=True)
    write(os.path.join(folder, "replacement_input.txt"), test_case_file(cases))
    if listing is None:
        listing = expected_listing(binary, folder)
    data = listing if run_file is None else run_file(listing)
    write(os.path.join(folder, "replacement_output.txt"), data)
    print(f"  {name}: {len(cases)} test cases, run file {len(data) / 1e6:.1f} MB")
    return listing


def main():
    if len(sys.argv) not in (3, 4) or sys.argv[3:] not in ([], ["H"]):
        sys.exit(__doc__)
    binary = os.path.abspath(sys.argv[1])
    out_dir = sys.argv[2]
    if sys.argv[3:] == ["H"]:
        html_class(binary, out_dir)
        return
    rng = random.Random(20240601)

    # A: 10,000 test cases of 300 random keys 0..32767, about 30 runs each.
    random_300 = [[rng.randint(0, 32767) for _ in range(300)] for _ in range(10000)]
    make(binary, out_dir, "A_random_300", random_300)
    # A with no run file: the listing is the bulk of the output.
    no_run_file = os.path.join(out_dir, "A_no_run_file")
    os.makedirs(no_run_file, exist_ok=True)
    write(os.path.join(no_run_file, "replacement_input.txt"), test_case_file(random_300))

    # B: 10,000 test cases of 600 equal keys: one run of 500 keys, then the
    # step budget ends the test case.
    ones_600 = [[1] * 600 for _ in range(10000)]
    make(binary, out_dir, "B_equal_600", ones_600)

    # C: many short runs: descending keys give runs of about five keys, so
    # each test case of 100 keys has about 20 runs.
    descending = [sorted((rng.randint(0, 32767) for _ in range(100)), reverse=True)
                  for _ in range(10000)]
    make(binary, out_dir, "C_short_runs", descending)

    # D: a single test case whose run file announces 50,000 runs: the real
    # runs, then lines of 300 random keys up to the announced count.
    single = [[rng.randint(0, 32767) for _ in range(300)]]

    def huge(listing):
        _, runs, _ = split_first_count(listing)
        filler_lines = 50000 - runs.count(b"\n")
        filler = b"".join(
            " ".join(str(rng.randint(0, 32767)) for _ in range(300)).encode() + b"\n"
            for _ in range(filler_lines))
        return b"50000\n" + runs + filler

    make(binary, out_dir, "D_huge_run_file", single, huge)

    # E and F: workload B with a run file that announces 2147483647 runs for
    # its first test case (every line after it is then read as one of its
    # runs), and with a million blank lines after the first test case's runs
    # (skipped by the next count read).
    def announce_max(listing):
        _, runs, rest = split_first_count(listing)
        return b"2147483647\n" + runs + rest

    def blank_lines(listing):
        count, runs, rest = split_first_count(listing)
        return count + runs + b"\n" * 1000000 + rest

    make(binary, out_dir, "E_B_2147483647_runs", ones_600, announce_max)
    make(binary, out_dir, "F_B_million_blank_lines", ones_600, blank_lines)

    # Scale. S1: 1,000,000 test cases of one key each, with the run file
    # equal to the listing (written here: a count of 1 and the key).
    one_key = [[rng.randint(0, 32767)] for _ in range(1000000)]
    make(binary, out_dir, "S1_million_one_key", one_key,
         listing=b"".join(b"1\n%d\n" % keys[0] for keys in one_key))
    # S2: 100,000 test cases holding only the key -3: 251 empty runs and 250
    # melt messages each. The run file is the listing (out of step after
    # the first test case, whose count read skips its empty run lines).
    make(binary, out_dir, "S2_100000_only_minus_3", [[-3]] * 100000,
         listing=(b"251\n" + b"\n" * 251) * 100000)
    # S3: the example test cases, with a run file announcing 2147483647 runs
    # for the first.
    example = [[9, 8, 7, 6, 5, 4, 3, 2, 1, 0], [30, 10, 20]]
    make(binary, out_dir, "S3_2147483647_runs", example,
         lambda listing: b"2147483647\n" + listing.split(b"\n", 1)[1])

    # For callgrind (bench/run.sh --callgrind), small enough to run under it:
    # 1,000 test cases of 300 random keys and of 600 equal keys.
    make(binary, out_dir, "X_callgrind_random_300", random_300[:1000])
    make(binary, out_dir, "X_callgrind_equal_600", ones_600[:1000])

    # G: 10,000 test cases of 300 ascending keys, one run each: a larger
    # buffer, a smaller one and natural runs all write that run too, so
    # runcheck-explain --coverage plays them on every test case (its worst
    # case among test cases of 300 keys).
    ascending = [sorted(rng.randint(0, 32767) for _ in range(300)) for _ in range(10000)]
    make(binary, out_dir, "G_sorted_300", ascending)

    # For runcheck-explain checking run files. M: 1,000,000 test cases of 10
    # random keys 0..99, every one failing: the run file is the listing with
    # the first two keys of each test case's first run swapped (its first key
    # made 99999 where those are equal or the run has one key), so each test
    # case has a wrong key to explain and a search of the faulty programs.
    ten_keys = [[rng.randint(0, 99) for _ in range(10)] for _ in range(1000000)]

    def swap_first_keys(listing):
        lines, out, i = listing.split(b"\n"), [], 0
        while i + 1 < len(lines):
            count = int(lines[i])
            first = lines[i + 1].split(b" ")
            if len(first) > 1 and first[0] != first[1]:
                first[0], first[1] = first[1], first[0]
            else:
                first[0] = b"99999"
            out += [lines[i], b" ".join(first)] + lines[i + 2:i + 1 + count]
            i += 1 + count
        return b"\n".join(out) + b"\n"

    listing = make(binary, out_dir, "M_million_failing", ten_keys, swap_first_keys)
    # The first 100,000 of M, for callgrind.
    cut = 0
    for _ in range(100000):
        count_end = listing.index(b"\n", cut)
        for _ in range(int(listing[cut:count_end]) + 1):
            cut = listing.index(b"\n", cut) + 1
    make(binary, out_dir, "X_callgrind_failing", ten_keys[:100000], swap_first_keys,
         listing=listing[:cut])

    # K: a class of 3,000 students, each run file the listing of 20 test
    # cases of 50 random keys (s0000/run.txt ... s2999/run.txt), every one
    # passing: runcheck-explain checks them in one call.
    class_cases = [[rng.randint(0, 32767) for _ in range(50)] for _ in range(20)]
    listing = make(binary, out_dir, "K_class_3000", class_cases)
    for s in range(3000):
        folder = os.path.join(out_dir, "K_class_3000", "s%04d" % s)
        os.makedirs(folder, exist_ok=True)
        write(os.path.join(folder, "run.txt"), listing)

    # L: the same class, each run file with test case 1's count one too
    # large, so runcheck fails every test case and the independent score
    # reads the file back into step.
    make(binary, out_dir, "L_class_3000_failing", class_cases)
    slipped = b"%d" % (int(listing.split(b"\n", 1)[0]) + 1) + listing[listing.index(b"\n"):]
    for s in range(3000):
        folder = os.path.join(out_dir, "L_class_3000_failing", "s%04d" % s)
        os.makedirs(folder, exist_ok=True)
        write(os.path.join(folder, "run.txt"), slipped)

    html_class(binary, out_dir)


def html_class(binary, out_dir):
    """H: a class of 300 students for runcheck-explain --format html, each run
    file the listing of 100 test cases of 30 random keys 0..999 (h000/run.txt
    ... h299/run.txt): a third passing, a third with two keys swapped in one
    test case, a third with every run written backwards (every test case
    failing, every run wrong: the most for the page to show). A seed of its
    own, so the other workloads stay as they were."""
    rng = random.Random(19)
    cases = [[rng.randint(0, 999) for _ in range(30)] for _ in range(100)]
    listing = make(binary, out_dir, "H_class_300", cases)
    blocks, lines, i = [], listing.split(b"\n"), 0
    while i + 1 < len(lines):
        count = int(lines[i])
        blocks.append(lines[i:i + 1 + count])
        i += 1 + count

    def swapped(block):
        first = block[1].split(b" ")
        if len(first) > 2:
            first[1], first[2] = first[2], first[1]
        return [block[0], b" ".join(first)] + block[2:]

    def backwards(block):
        return [block[0]] + [b" ".join(reversed(line.split(b" "))) for line in block[1:]]

    for s in range(300):
        folder = os.path.join(out_dir, "H_class_300", "h%03d" % s)
        os.makedirs(folder, exist_ok=True)
        kind = s % 3
        out = [backwards(b) if kind == 2 else swapped(b) if kind == 1 and t == s % 100 else b
               for t, b in enumerate(blocks)]
        write(os.path.join(folder, "run.txt"), b"\n".join(l for b in out for l in b) + b"\n")


if __name__ == "__main__":
    main()
