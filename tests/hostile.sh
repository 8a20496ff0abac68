#!/usr/bin/env bash
# Runs one row of tests/hostile.txt (its header says what the columns mean).
#   hostile.sh PROGRAM ROW WORK [SANITIZED]
# POSIX only: named pipes, /dev/full, ulimit and coreutils' timeout.
set -uo pipefail
program=$(realpath "$1") name=$2 work=$3 sanitized=${4:-OFF} here=$(dirname "$(realpath "$0")")
IFS='|' read -r _ input runs stdin stdout case checks < <(grep -E "^$name +\|" "$here/hostile.txt" |
  sed -E 's/ *\| */|/g; s/ +$//')
golden=$here/golden/${case:-?}
fail() { echo "hostile row $name: $*" >&2; exit 1; }
[ -d "$golden" ] || fail "no such row, or no golden case \"$case\""
rm -rf "$work" && mkdir -p "$work/run" && : >"$work/empty"

make_file() { # SPEC NAME
  local path=$work/run/$2 spec=$1
  case $spec in
    absent) return ;; fifo) mkfifo "$path"; return ;; dir) mkdir "$path"; return ;;
    /dev/*) ln -s "$spec" "$path"; return ;; =) cp "$golden/$2" "$path"; return ;;
  esac
  [[ $spec =~ ^(.*)\{([0-9]+)\*(.*)\}(.*)$ ]] || { printf %b "$spec" >"$path"; return; }
  local head=${BASH_REMATCH[1]} n=${BASH_REMATCH[2]} body=${BASH_REMATCH[3]} tail=${BASH_REMATCH[4]}
  printf %b "$body" >"$work/piece"  # doubled up to 1 MiB, then repeated and cut at n bytes
  while [ "$(stat -c %s "$work/piece")" -lt 1048576 ]; do
    cat "$work/piece" "$work/piece" >"$work/twice" && mv "$work/twice" "$work/piece"
  done
  { printf %b "$head"; { while cat "$work/piece"; do :; done; } 2>/dev/null | head -c "$n"; printf %b "$tail"; } >"$path"
}
make_file "$input" replacement_input.txt && make_file "$runs" replacement_output.txt && cp -a "$work/run" "$work/made"

run() { # the program in the case folder, with the row's limits and standard input
  cd "$work/run" || exit 1
  [[ " $checks " == *" mem "* && $sanitized != ON ]] && ulimit -v 65536
  [[ $stdout == limit* ]] && ulimit -f "${stdout#limit }"
  case $stdin in closed) exec <&- ;; empty) exec <"$work/empty" ;; *) exec </dev/null ;; esac
  exec timeout 5 "$program"
}
case $stdout in
  full) (run) >/dev/full ;;
  closed) (run) >&- ;;
  pipe*) (run) | head -c "${stdout#pipe }" >"$work/stdout"; exit_status=${PIPESTATUS[0]} ;;
  *) (run) >"$work/stdout" ;;
esac
status=${exit_status:-$?}
[ "$status" = 0 ] || fail "exit status $status (124: still running after 5 s)"

set -- $checks
for check; do
  case $check in
    whole) cmp "$golden/expected_stdout.txt" "$work/stdout" || fail "output differs from $case's" ;;
    first) [ "$(stat -c %s "$work/stdout")" = "$2" ] && cmp -n "$2" "$golden/expected_stdout.txt" "$work/stdout" ||
      fail "output is not the first $2 bytes of $case's" ;;
    unchanged) diff -r "$work/made" "$work/run" || fail "the files were written to" ;;
  esac
  shift
done
