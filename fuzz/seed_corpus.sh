#!/usr/bin/env bash
# Writes the seed corpus of one fuzz target into DIR, made from the golden
# end-to-end cases and the bundled example, in that target's input format
# (see the comment at the top of fuzz/<target>_fuzz.cpp).
set -euo pipefail
target=${1:?usage: fuzz/seed_corpus.sh reading|program DIR}
out=${2:?usage: fuzz/seed_corpus.sh reading|program DIR}
root=$(cd "$(dirname "$0")/.." && pwd)
mkdir -p "$out"

byte() { printf "\\x$(printf %02x "$1")"; }

# What the program target's mode bits say for one file: 0 its bytes,
# 6 missing, 7 a directory.
placement() {
  if [ -d "$1" ]; then echo 7; elif [ -f "$1" ]; then echo 0; else echo 6; fi
}

case "$target" in
  reading)
    # Reads: 0x54 is the test-case file's order (count, count, line, count,
    # line, ...), 0xfe a count then lines. Sources: 0x00 memory; 0x41 a file
    # whose text starts right after a 64 KiB pad of carriage returns; 0x02
    # and 0x0e a pipe handing out 1 and 4 bytes a read.
    n=0
    for file in "$root"/tests/golden/*/replacement_*.txt "$root"/examples/*.txt; do
      [ -f "$file" ] || continue
      for prefix in "84 0" "254 0" "84 65" "84 2" "254 14"; do
        set -- $prefix
        { byte "$1"; byte "$2"; cat "$file"; } >"$out/seed-$n"
        n=$((n + 1))
      done
    done
    ;;
  program)
    n=0
    for dir in "$root"/tests/golden/*/ "$root"/examples/; do
      input=${dir}replacement_input.txt
      runs=${dir}replacement_output.txt
      mode=$(($(placement "$input") | ($(placement "$runs") << 3)))
      {
        byte "$mode"
        if [ -f "$input" ]; then cat "$input"; fi
        printf '\n====\n'
        if [ -f "$runs" ]; then cat "$runs"; fi
      } >"$out/seed-$n"
      n=$((n + 1))
    done
    ;;
  *)
    echo "unknown fuzz target: $target" >&2
    exit 2
    ;;
esac
