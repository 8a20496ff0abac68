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

make_file() { # HOW NAME
  local path=$work/run/$2 how=$1
  case $how in
    absent) return ;; fifo) mkfifo "$path"; return ;; dir) mkdir "$path"; return ;;
    /dev/*) ln -s "$how" "$path"; return ;; =) cp "$golden/$2" "$path"; return ;;
  esac
  [[ $how =~ ^(.*)\{([0-9]+)\*(.*)\}(.*)$ ]] || { printf %b "$how" >"$path"; return; }
  printf %b "${BASH_REMATCH[3]}" >"$work/piece"  # BODY doubled up to 1 MiB, repeated, cut at N bytes
  until [ "$(stat -c %s "$work/piece")" -ge 1048576 ]; do cat "$work/piece" "$work/piece" >"$work/2" && mv "$work/2" "$work/piece"; done
  { printf %b "${BASH_REMATCH[1]}"; { while cat "$work/piece"; do :; done; } 2>/dev/null | head -c "${BASH_REMATCH[2]}"
    printf %b "${BASH_REMATCH[4]}"; } >"$path"
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
  full) (run) >/dev/full ;; closed) (run) >&- ;; file | limit*) (run) >"$work/stdout" ;;
  pipe*) (run) | head -c "${stdout#pipe }" >"$work/stdout"; exit_status=${PIPESTATUS[0]} ;;
esac
status=${exit_status:-$?}
[ "$status" = 0 ] || fail "exit status $status (124: still running after 5 s)"

[[ " $checks " != *" whole "* ]] || cmp "$golden/expected_stdout.txt" "$work/stdout" || fail "output differs from $case's"
[[ ! $checks =~ first\ ([0-9]+) ]] || cmp -n "${BASH_REMATCH[1]}" "$golden/expected_stdout.txt" "$work/stdout" ||
  fail "output does not start with the first ${BASH_REMATCH[1]} bytes of $case's"
[[ ! $checks =~ size\ ([0-9]+) ]] || [ "$(stat -c %s "$work/stdout")" = "${BASH_REMATCH[1]}" ] ||
  fail "output is not ${BASH_REMATCH[1]} bytes long"
[[ " $checks " != *" unchanged "* ]] || diff -r "$work/made" "$work/run" || fail "the files were written to"
