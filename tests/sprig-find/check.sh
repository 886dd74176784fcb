#!/usr/bin/env bash
# Runs one sprig-find case and compares its outcome with what is expected.
#   check.sh RC EXPECTED_STDOUT STDERR_PATTERN STDIN -- COMMAND...
# EXPECTED_STDOUT is a file whose bytes stdout must equal ("-": stdout must be empty);
# STDERR_PATTERN an extended regular expression that stderr must match ("-": anything);
# STDIN the file fed to standard input ("-": none).
set -uo pipefail
rc=$1 expected=$2 pattern=$3 input=$4
shift 5

out=$(mktemp) err=$(mktemp)
trap 'rm -f "$out" "$err"' EXIT
[ "$input" = - ] && input=/dev/null
"$@" <"$input" >"$out" 2>"$err"
actual=$?

status=0
if [ "$actual" != "$rc" ]; then
  echo "exit code $actual, expected $rc"; status=1
fi
if [ "$expected" = - ]; then
  [ -s "$out" ] && { echo "stdout should be empty, got:"; cat "$out"; status=1; }
elif ! cmp -s "$out" "$expected"; then
  echo "stdout differs from $expected:"; diff "$expected" "$out" | head -n 40; status=1
fi
if [ "$pattern" != - ] && ! grep -Eq -- "$pattern" "$err"; then
  echo "stderr does not match /$pattern/:"; status=1
fi
# Messages end their lines alike in every build.
if grep -q $'\r' "$err"; then
  echo "stderr has CR LF line ends"; status=1
fi
[ $status -eq 0 ] || { echo "stderr:"; cat "$err"; }
exit $status
