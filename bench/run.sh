#!/usr/bin/env bash
# Builds runcheck in Release (build-bench/), writes the workloads once
# (build-bench/workloads/), runs each workload several times under
# /usr/bin/time and prints the median wall, user and sys time and peak
# resident memory per workload, then the listing micro-benchmark when Google
# Benchmark is installed.
#
#   bench/run.sh [RUNS]            RUNS defaults to 5
#
# RUNCHECK_BINARY=path times that binary instead of building one (the
# workloads are then written with it too, when they are missing).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build-bench"
runs="${1:-5}"

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

workloads="$build/workloads"
if [ ! -f "$workloads/.complete" ]; then
  echo "Writing workloads to $workloads"
  mkdir -p "$workloads"
  python3 "$root/bench/make_workloads.py" "$binary" "$workloads"
  touch "$workloads/.complete"
fi

echo "binary: $binary"
echo "median of $runs runs; standard input from /dev/null, standard output to /dev/null"
echo
printf '| %-24s | %7s | %7s | %7s | %9s | %9s |\n' workload "wall s" "user s" "sys s" "peak MB" "out MB"
printf '|%s|%s|%s|%s|%s|%s|\n' "$(printf -- '-%.0s' {1..26})" ---------: ---------: ---------: \
  -----------: -----------:
times="$(mktemp)"
trap 'rm -f "$times"' EXIT
for dir in "$workloads"/*/; do
  name="$(basename "$dir")"
  : >"$times"
  for _ in $(seq "$runs"); do
    (cd "$dir" && /usr/bin/time -a -o "$times" -f '%e %U %S %M' "$binary" </dev/null >/dev/null)
  done
  out_bytes="$(cd "$dir" && "$binary" </dev/null | wc -c)"
  python3 - "$name" "$out_bytes" "$times" <<'EOF'
import statistics, sys
name, out_bytes, path = sys.argv[1], int(sys.argv[2]), sys.argv[3]
rows = [list(map(float, line.split())) for line in open(path) if line.strip()]
wall, user, sys_, rss = (statistics.median(col) for col in zip(*rows))
print(f"| {name:<24} | {wall:7.3f} | {user:7.3f} | {sys_:7.3f} | {rss / 1024:9.1f} |"
      f" {out_bytes / 1e6:9.1f} |")
EOF
done

if [ -x "$build/bench/listing_benchmark" ] && [ -z "${RUNCHECK_BINARY:-}" ]; then
  echo
  "$build/bench/listing_benchmark" --benchmark_repetitions=5 \
    --benchmark_report_aggregates_only=true
fi
