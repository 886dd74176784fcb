#!/usr/bin/env bash
# Runs sprig-host under Wine, in a prefix of the stand-in environment's own, after importing a
# registry file, and compares what it prints with what is expected.
#   run-host.sh PREFIX REG_FILE EXPECTED_STDOUT [REG_ADD_ARGS] -- sprig-host.exe ARGS...
# REG_FILE "-" imports nothing; REG_ADD_ARGS, one word, split at '|', is one "reg add" after it.
set -uo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
export SPRIG_WINEPREFIX=$1
reg=$2 expected=$3 add=
shift 3
if [ "$1" != -- ]; then add=$1; shift; fi
shift

run="$here/../../tools/wine-run.sh"
if [ "$reg" != - ]; then
  "$run" reg import "$(winepath -w "$reg" 2>/dev/null)" >/dev/null 2>&1 || { echo "cannot import $reg"; exit 1; }
fi
if [ -n "$add" ]; then
  IFS='|' read -r -a words <<<"$add"
  "$run" reg add "${words[@]}" /f >/dev/null 2>&1 || { echo "cannot add $add"; exit 1; }
fi
out=$(mktemp) err=$(mktemp)
trap 'rm -f "$out" "$err"' EXIT
"$run" "$@" 2>"$err" | tr -d '\r' >"$out"
actual=${PIPESTATUS[0]}
if [ $actual -ne 0 ] || ! cmp -s "$out" "$expected"; then
  echo "exit code $actual; stdout differs from $expected:"; diff "$expected" "$out" | head -n 40
  echo "stderr:"; cat "$err"
  exit 1
fi
