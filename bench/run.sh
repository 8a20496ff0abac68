#!/usr/bin/env bash
# Builds runcheck in Release (build-bench/), writes the workloads once
# (build-bench/workloads/), runs each workload several times under
# /usr/bin/time and prints the median wall, user and sys time, peak resident
# memory and minor page faults per workload (and the size of its output),
# then the listing micro-benchmark when Google Benchmark is installed.
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
printf '| %-24s | %6s | %6s | %6s | %8s | %13s | %6s |\n' workload "wall s" "user s" "sys s" \
  "peak MiB" "minor faults" "out MB"
echo '|--------------------------|-------:|-------:|-------:|---------:|--------------:|-------:|'
times="$(mktemp)"
trap 'rm -f "$times"' EXIT
for dir in "$workloads"/*/; do
  name="$(basename "$dir")"
  : >"$times"
  for _ in $(seq "$runs"); do
    (cd "$dir" && /usr/bin/time -a -o "$times" -f '%e %U %S %M %R' "$binary" </dev/null >/dev/null)
  done
  out_bytes="$(cd "$dir" && "$binary" </dev/null | wc -c)"
  python3 - "$name" "$out_bytes" "$times" <<'EOF'
import statistics, sys
name, out_bytes, path = sys.argv[1], int(sys.argv[2]), sys.argv[3]
rows = [list(map(float, line.split())) for line in open(path) if line.strip()]
wall, user, sys_, rss, faults = (statistics.median(col) for col in zip(*rows))
print(f"| {name:<24} | {wall:6.2f} | {user:6.2f} | {sys_:6.2f} | {rss / 1024:8.1f} |"
      f" {faults:13.0f} | {out_bytes / 1e6:6.1f} |")
EOF
done

if [ -x "$build/bench/listing_benchmark" ] && [ -z "${RUNCHECK_BINARY:-}" ]; then
  echo
  "$build/bench/listing_benchmark" --benchmark_repetitions=5 \
    --benchmark_report_aggregates_only=true
fi
