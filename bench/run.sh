#!/usr/bin/env bash
# Builds runcheck in Release (build-bench/) and the C reference of the same
# behaviour (bench/reference.c, build-bench/reference), writes the workloads
# once (build-bench/workloads/), runs each workload several times with each
# program under /usr/bin/time and prints per workload and program the median
# wall time, peak resident memory and minor page faults, and runcheck's wall
# time as a fraction of the reference's. Then the listing micro-benchmark,
# when Google Benchmark is installed.
#
#   bench/run.sh [RUNS] [--callgrind]
#
# RUNS defaults to 5. --callgrind also counts the instructions of runcheck's
# whole run on the X_callgrind workloads. RUNCHECK_BINARY=path times that
# binary instead of building one (the workloads are then written with it
# too, when they are missing).
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
# Median wall s, peak MiB and minor faults of one program on one workload.
measure() {
  : >"$times"
  for _ in $(seq "$runs"); do
    (cd "$2" && /usr/bin/time -a -o "$times" -f '%e %M %R' "$1" </dev/null >/dev/null)
  done
  python3 - "$times" <<'PY'
import statistics, sys
rows = [list(map(float, line.split())) for line in open(sys.argv[1]) if line.strip()]
wall, rss, faults = (statistics.median(col) for col in zip(*rows))
print(f"{wall:.3f} {rss / 1024:.1f} {faults:.0f}")
PY
}
for dir in "$workloads"/*/; do
  name="$(basename "$dir")"
  read -r wall rss faults <<<"$(measure "$binary" "$dir")"
  read -r ref_wall ref_rss ref_faults <<<"$(measure "$reference" "$dir")"
  ratio="$(python3 -c "import sys; a, b = map(float, sys.argv[1:]); print(f'{a / b:.3f}' if b else '-')" "$wall" "$ref_wall")"
  printf '| %-24s | %8s | %8s | %9s | %8s | %8s | %9s | %6s |\n' "$name" "$wall" "$rss" "$faults" \
    "$ref_wall" "$ref_rss" "$ref_faults" "$ratio"
done

if [ "$callgrind" = 1 ]; then
  echo
  echo "callgrind, instructions of runcheck's whole run:"
  for dir in "$workloads"/X_callgrind_*/; do
    count="$(cd "$dir" && valgrind --tool=callgrind --callgrind-out-file=/dev/null "$binary" \
      </dev/null 2>&1 >/dev/null | sed -n 's/.*Collected : \([0-9]*\).*/\1/p')"
    printf '  %-24s %12s\n' "$(basename "$dir")" "$count"
  done
fi

if [ -x "$build/bench/listing_benchmark" ] && [ -z "${RUNCHECK_BINARY:-}" ]; then
  echo
  "$build/bench/listing_benchmark" --benchmark_repetitions=5 \
    --benchmark_report_aggregates_only=true
fi
