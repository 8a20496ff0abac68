#!/usr/bin/env bash
# Runs each fuzz target, or the ones named, for SECONDS seconds, one after
# the other, on one core, and fails on the first finding.
#
#   fuzz/run.sh SECONDS [reading|program ...]
#
# The targets come from the `fuzz` preset's build (build-fuzz/, or
# $RUNCHECK_FUZZ_BUILD), which is configured and built when missing. Each
# target keeps its corpus in <build>/fuzz-work/<target>/corpus across runs,
# seeded from the golden cases and fuzz/regressions/<target>; a finding is
# saved in <build>/fuzz-work/<target>/artifacts/.
set -euo pipefail
seconds=${1:?usage: fuzz/run.sh SECONDS [reading|program ...]}
shift
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(reading program)
root=$(cd "$(dirname "$0")/.." && pwd)
build=${RUNCHECK_FUZZ_BUILD:-$root/build-fuzz}

for target in "${targets[@]}"; do
  if [ ! -x "$build/fuzz/fuzz_$target" ]; then
    (cd "$root" && cmake --preset fuzz >/dev/null && cmake --build --preset fuzz)
    break
  fi
done

status=0
for target in "${targets[@]}"; do
  binary=$build/fuzz/fuzz_$target
  work=$build/fuzz-work/$target
  mkdir -p "$work/corpus" "$work/artifacts"
  rm -rf "$work/seeds"
  "$root/fuzz/seed_corpus.sh" "$target" "$work/seeds"
  # The program's run table grows with the test cases it generates: the
  # target makes allocations above 1 GiB fail softly (so the program
  # meets its own "Not enough memory" path), and the fuzzer's own limits sit
  # above that.
  options=(
    -max_total_time="$seconds" -max_len=4096 -timeout=10
    -rss_limit_mb=4096 -malloc_limit_mb=4096 -print_final_stats=1
    -artifact_prefix="$work/artifacts/"
  )
  echo "== fuzz_$target for ${seconds}s"
  if "$binary" "${options[@]}" "$work/corpus" "$work/seeds" "$root/fuzz/regressions/$target" \
    >"$work/log" 2>&1; then
    grep -E '^stat::(number_of_executed_units|average_exec_per_sec|peak_rss_mb)' "$work/log" || true
    grep -E '^#[0-9]+.*(DONE|INITED)' "$work/log" | tail -n 2 || true
  else
    status=$?
    echo "fuzz_$target found a fault (exit status $status); its log:" >&2
    tail -n 60 "$work/log" >&2
    ls -l "$work/artifacts" >&2
  fi
done
exit "$status"
