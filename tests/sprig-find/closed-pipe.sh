#!/usr/bin/env bash
# Writing into a pipe that its reader has closed ends the run quietly: no message, exit code 0.
#   closed-pipe.sh -- COMMAND...
# The catalogue, fed on standard input, lists far more than a pipe holds; the reader takes a line.
set -uo pipefail
shift
catalogue=$(mktemp) err=$(mktemp)
trap 'rm -f "$catalogue" "$err"' EXIT
awk 'BEGIN { for (i = 0; i < 20000; ++i) printf "p\tP\tP\tC:\\dir\\file%05d.cpp\n", i }' >"$catalogue"
"$@" " " <"$catalogue" 2>"$err" | head -n 1 >/dev/null
rc=${PIPESTATUS[0]}
[ "$rc" = 0 ] && [ ! -s "$err" ] && exit 0
echo "exit code $rc, stderr:"; cat "$err"
exit 1
