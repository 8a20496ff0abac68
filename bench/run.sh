#!/usr/bin/env bash
# Builds runcheck in Release (build-bench/) and the C reference of the same
# behaviour (bench/reference.c, build-bench/reference), writes the workloads
# once (build-bench/workloads/), runs each workload several times with each
# program under /usr/bin/time and prints per workload and program the median
# wall time, peak resident memory and minor page faults, and runcheck's wall
# time as a fraction of the reference's; then runcheck-explain --coverage on
# each workload's test-case file beside runcheck's time, and runcheck-explain
# checking run files (every test case passing, every one failing, a class of
# 3,000 files) beside it too, a class of 300 as one HTML page beside the
# same as JSON, and --stress on a student's program and its mistakes. Then
# the listing micro-benchmark, when Google Benchmark is installed.
#
#   bench/run.sh [RUNS] [--callgrind]
#
# RUNS defaults to 5. --callgrind also counts the instructions of runcheck's
# and of runcheck-explain --coverage's whole run on the X_callgrind
# workloads, and of runcheck-explain's on X_callgrind_failing.
# RUNCHECK_BINARY=path times that binary (and runcheck-explain beside it)
# instead of building one (the workloads are then written with it too, when
# they are missing).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build-bench"
runs=5
callgrind=0
for arg in "$@"; do
  case "$arg" in
    --callgrind) callgrind=1 ;;
    *) runs="$arg" ;;
  esac
done

if [ -z "${RUNCHECK_BINARY:-}" ]; then
  bench_flag=OFF
  if [ -f /usr/include/benchmark/benchmark.h ]; then bench_flag=ON; fi
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DRUNCHECK_BUILD_TESTS=OFF \
    -DRUNCHECK_BUILD_BENCH="$bench_flag" >/dev/null
  cmake --build "$build" -j2 >/dev/null
  binary="$build/runcheck"
else
  binary="$(realpath "$RUNCHECK_BINARY")"
fi
mkdir -p "$build"
reference="$build/reference"
cc -O2 -std=c11 -o "$reference" "$root/bench/reference.c"

workloads="$build/workloads"
if [ ! -f "$workloads/.complete" ]; then
  echo "Writing workloads to $workloads"
  mkdir -p "$workloads"
  python3 "$root/bench/make_workloads.py" "$binary" "$workloads"
  touch "$workloads/.complete"
fi

echo "runcheck: $binary"
echo "median of $runs runs; standard input from /dev/null, standard output to /dev/null"
echo
printf '| %-24s | %8s | %8s | %9s | %8s | %8s | %9s | %6s |\n' workload "wall s" "peak MiB" \
  "faults" "ref s" "ref MiB" "ref flts" ratio
echo '|--------------------------|---------:|---------:|----------:|---------:|---------:|----------:|-------:|'
times="$(mktemp)"
trap 'rm -f "$times"' EXIT
# Median wall s, peak MiB and minor faults of one command in one workload's
# folder: measure DIR PROGRAM [ARGUMENT...].
measure() {
  local dir="$1"
  shift
  : >"$times"
  for _ in $(seq "$runs"); do
    (cd "$dir" && /usr/bin/time -a -o "$times" -f '%e %M %R' "$@" </dev/null >/dev/null || true)
  done
  python3 - "$times" <<'PY'
import statistics, sys
# /usr/bin/time notes a nonzero exit status on a line of its own.
rows = [list(map(float, line.split())) for line in open(sys.argv[1])
        if line.strip() and not line.startswith("Command exited")]
wall, rss, faults = (statistics.median(col) for col in zip(*rows))
print(f"{wall:.3f} {rss / 1024:.1f} {faults:.0f}")
PY
}
for dir in "$workloads"/*/; do
  name="$(basename "$dir")"
  read -r wall rss faults <<<"$(measure "$dir" "$binary")"
  read -r ref_wall ref_rss ref_faults <<<"$(measure "$dir" "$reference")"
  ratio="$(python3 -c "import sys; a, b = map(float, sys.argv[1:]); print(f'{a / b:.3f}' if b else '-')" "$wall" "$ref_wall")"
  printf '| %-24s | %8s | %8s | %9s | %8s | %8s | %9s | %6s |\n' "$name" "$wall" "$rss" "$faults" \
    "$ref_wall" "$ref_rss" "$ref_faults" "$ratio"
done

# runcheck-explain --coverage on each workload's test-case file, beside
# runcheck's time in the same folder (the target: at most 10 times it).
explain="$(dirname "$binary")/runcheck-explain"
if [ -x "$explain" ]; then
  echo
  echo "runcheck-explain --coverage replacement_input.txt: $explain"
  echo
  printf '| %-24s | %8s | %8s | %9s | %8s | %6s |\n' workload "wall s" "peak MiB" faults \
    "rc s" "x rc"
  echo '|--------------------------|---------:|---------:|----------:|---------:|-------:|'
  for dir in "$workloads"/*/; do
    name="$(basename "$dir")"
    # Test-case files as B's, tiny, or there for the checking below.
    case "$name" in E_* | F_* | S3_* | X_* | K_* | M_*) continue ;; esac
    read -r wall rss faults <<<"$(measure "$dir" "$explain" --coverage replacement_input.txt)"
    read -r rc_wall _ _ <<<"$(measure "$dir" "$binary")"
    ratio="$(python3 -c "import sys; a, b = map(float, sys.argv[1:]); print(f'{a / b:.1f}' if b else '-')" "$wall" "$rc_wall")"
    printf '| %-24s | %8s | %8s | %9s | %8s | %6s |\n' "$name" "$wall" "$rss" "$faults" "$rc_wall" "$ratio"
  done
fi

# runcheck-explain checking run files, beside runcheck in the same folder:
# A, where every test case passes; M, where every one fails, as text and as
# JSON (the target: at most 3 times runcheck); and K and L, a class of
# 3,000 run files in one call (K every file passing, L every one failing
# after a slip), in each format that grades several files (the target: at
# most 2 times --json's time), and from a roster.
if [ -x "$explain" ]; then
  echo
  echo "runcheck-explain checking run files: $explain"
  echo
  printf '| %-24s | %-22s | %8s | %8s | %9s | %8s | %6s |\n' workload command "wall s" "peak MiB" \
    faults "rc s" "x rc"
  echo '|--------------------------|------------------------|---------:|---------:|----------:|---------:|-------:|'
  for name in A_random_300 M_million_failing K_class_3000 L_class_3000_failing; do
    dir="$workloads/$name"
    [ -d "$dir" ] || continue
    read -r rc_wall _ _ <<<"$(measure "$dir" "$binary")"
    case "$name" in
      K_* | L_*)
        mapfile -t class < <(cd "$dir" && printf '%s\n' s*/run.txt)
        printf '%s\n' "${class[@]}" >"$dir/roster.txt"
        commands=("explain (3,000 files)" "--json" "--format csv" "--format junit" "--roster --format csv")
        ;;
      M_*) commands=("explain" "explain --json") ;;
      *) commands=("explain") ;;
    esac
    for command in "${commands[@]}"; do
      case "$command" in
        "explain (3,000 files)") args=(replacement_input.txt "${class[@]}") ;;
        "--roster --format csv") args=(--roster roster.txt --format csv replacement_input.txt) ;;
        --*) read -r -a args <<<"$command" && args+=(replacement_input.txt "${class[@]}") ;;
        "explain --json") args=(--json) ;;
        *) args=() ;;
      esac
      read -r wall rss faults <<<"$(measure "$dir" "$explain" "${args[@]}")"
      ratio="$(python3 -c "import sys; a, b = map(float, sys.argv[1:]); print(f'{a / b:.2f}' if b else '-')" "$wall" "$rc_wall")"
      printf '| %-24s | %-22s | %8s | %8s | %9s | %8s | %6s |\n' "$name" "$command" "$wall" "$rss" \
        "$faults" "$rc_wall" "$ratio"
    done
  done
fi

# H: a class of 300 run files of 100 test cases as one HTML page, beside
# the same class as JSON Lines: time, peak memory and the output's size (the
# target: a page under 5 MB).
if [ -x "$explain" ] && [ -d "$workloads/H_class_300" ]; then
  echo
  echo "runcheck-explain on a class of 300 run files (H_class_300): $explain"
  echo
  printf '| %-16s | %8s | %8s | %9s | %12s |\n' format "wall s" "peak MiB" faults "output bytes"
  echo '|------------------|---------:|---------:|----------:|-------------:|'
  dir="$workloads/H_class_300"
  mapfile -t class < <(cd "$dir" && printf '%s\n' h*/run.txt)
  for format in json html; do
    read -r wall rss faults <<<"$(measure "$dir" "$explain" --format "$format" replacement_input.txt "${class[@]}")"
    size="$(cd "$dir" && { "$explain" --format "$format" replacement_input.txt "${class[@]}" </dev/null || true; } | wc -c)"
    printf '| %-16s | %8s | %8s | %9s | %12s |\n' "--format $format" "$wall" "$rss" "$faults" "$size"
  done
fi

# --stress: the right student program (tests/programs/student.c) through the
# default 200 tests, the cost of one test beside a start of the program
# alone; then each of its mistakes, found and shrunk: the test that caught
# it, the runs shrinking took (the target: a few hundred at most) and the
# wall time (a time-out takes its limit, 1 s here, and the shorter limit of
# the runs that shrink it).
if [ -x "$explain" ]; then
  echo
  echo "runcheck-explain --stress --seed 1: $explain"
  echo
  students="$build/students"
  mkdir -p "$students"
  for pair in correct:RIGHT buffer_6:BUFFER=6 equal_keys_frozen:FREEZE_EQUAL \
    last_key_kept:KEEP_LAST_KEY budget_499:BUDGET=499 crash_on_one_key:CRASH_ON_ONE_KEY \
    loop_on_equal_keys:LOOP_ON_EQUAL_KEYS writes_nothing:WRITE_NOTHING prints_runs:PRINT_RUNS; do
    cc -O2 -std=c11 -D"${pair#*:}" -o "$students/${pair%%:*}" "$root/tests/programs/student.c"
  done
  cd "$students"
  read -r wall rss faults <<<"$(measure "$students" "$explain" --stress --seed 1 -- ./correct)"
  # One start of the program on test 1's file, for the share of the process.
  "$explain" --make-tests --seed 1 >replacement_input.txt
  : >"$times"
  for _ in $(seq 200); do /usr/bin/time -a -o "$times" -f '%e' ./correct </dev/null; done
  start="$(python3 -c "import sys; print(f'{sum(map(float, open(sys.argv[1]))) / 200 * 1000:.2f}')" "$times")"
  printf '| %-20s | %8s | %8s | %12s | %14s |\n' program "wall s" "peak MiB" "ms per test" "ms per start"
  echo '|----------------------|---------:|---------:|-------------:|---------------:|'
  printf '| %-20s | %8s | %8s | %12s | %14s |\n' correct "$wall" "$rss" \
    "$(python3 -c "import sys; print(f'{float(sys.argv[1]) / 200 * 1000:.2f}')" "$wall")" "$start"
  echo
  printf '| %-20s | %-16s | %4s | %11s | %8s | %-24s |\n' program kind test "shrink runs" "wall s" smallest
  echo '|----------------------|------------------|-----:|------------:|---------:|--------------------------|'
  for program in buffer_6 equal_keys_frozen last_key_kept budget_499 crash_on_one_key \
    loop_on_equal_keys writes_nothing prints_runs; do
    begin="$(date +%s.%N)"
    json="$("$explain" --stress --seed 1 --time-limit 1 --json -- "./$program" </dev/null || true)"
    end="$(date +%s.%N)"
    python3 - "$program" "$begin" "$end" "$json" <<'PY'
import json, sys
failure = json.loads(sys.argv[4])["failure"]
smallest = failure["smallest"]
size = f"{smallest['test_cases']} test case, {smallest['keys']} keys"
print(f"| {sys.argv[1]:<20} | {failure['kind']:<16} | {failure['test']:>4} | "
      f"{failure['shrink_runs']:>11} | {float(sys.argv[3]) - float(sys.argv[2]):8.2f} | {size:<24} |")
PY
  done
  rm -f stress-failure.txt replacement_input.txt
  cd "$root"
fi

if [ "$callgrind" = 1 ]; then
  echo
  echo "callgrind, instructions of runcheck's whole run:"
  for dir in "$workloads"/X_callgrind_*/; do
    count="$(cd "$dir" && valgrind --tool=callgrind --callgrind-out-file=/dev/null "$binary" \
      </dev/null 2>&1 >/dev/null | sed -n 's/.*Collected : \([0-9]*\).*/\1/p')"
    printf '  %-24s %12s\n' "$(basename "$dir")" "$count"
  done
  if [ -x "$explain" ]; then
    echo "callgrind, instructions of runcheck-explain --coverage's whole run:"
    for dir in "$workloads"/X_callgrind_*/; do
      # Its exit status is 1 where the file leaves a gap.
      count="$(cd "$dir" && { valgrind --tool=callgrind --callgrind-out-file=/dev/null "$explain" \
        --coverage replacement_input.txt 2>&1 >/dev/null || true; } |
        sed -n 's/.*Collected : \([0-9]*\).*/\1/p')"
      printf '  %-24s %12s\n' "$(basename "$dir")" "$count"
    done
    echo "callgrind, instructions of runcheck-explain's whole run on X_callgrind_failing:"
    for args in "" "--json"; do
      # Its exit status is 1: every test case fails.
      count="$(cd "$workloads/X_callgrind_failing" && { valgrind --tool=callgrind \
        --callgrind-out-file=/dev/null "$explain" $args 2>&1 >/dev/null || true; } |
        sed -n 's/.*Collected : \([0-9]*\).*/\1/p')"
      printf '  %-24s %12s\n' "runcheck-explain $args" "$count"
    done
  fi
fi

if [ -x "$build/bench/listing_benchmark" ] && [ -z "${RUNCHECK_BINARY:-}" ]; then
  echo
  "$build/bench/listing_benchmark" --benchmark_repetitions=5 \
    --benchmark_report_aggregates_only=true
fi
