#!/usr/bin/env bash
# Sprig from registration to opened files, in the stand-in environment's own Wine prefix:
#   end-to-end.sh PREFIX SPRIG_DLL EXPECTED_DIR -- sprig-host.exe ARGS...
# Registers the DLL with regsvr32, starts from no remembered settings and no kept commands, then
# compares what each run prints with EXPECTED_DIR/run1.out .. run4.out:
#   1. the add-in is preloaded; the shortcut opens the dialog, a typed filter narrows the list and
#      Enter opens the best row;
#   2. a second run keeps the command without preloading again, the dialog starts from the
#      filter the first run left, and with View Code checked Enter opens the file's code view;
#   3. Explore shows the best row's folder in the shell's window (closed again by the environment);
#   4. after regsvr32 /u the add-in is not found, and its kept command does nothing harmful.
set -uo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
export SPRIG_WINEPREFIX=$1
dll=$2 expected=$3
shift 4
run="$here/../../tools/wine-run.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

status=0
check() {  # check N ARGS...: one run of the environment against runN.out
  local n=$1
  shift
  "$run" "$@" 2>"$work/err$n" | tr -d '\r' >"$work/run$n.out"
  if [ "${PIPESTATUS[0]}" -ne 0 ] || ! cmp -s "$work/run$n.out" "$expected/run$n.out"; then
    echo "run $n differs from $expected/run$n.out:"; diff "$expected/run$n.out" "$work/run$n.out"
    cat "$work/err$n"; status=1
  fi
}

dll=$(winepath -w "$dll" 2>/dev/null)
"$run" regsvr32 /s "$dll" || { echo "regsvr32 failed"; exit 1; }
"$run" reg delete "HKCU\\Software\\Tarn's Tools\\Sprig!" /f >/dev/null 2>&1
check 1 "$@" --forget --shortcut --type main --keys enter --quit
check 2 "$@" --run-command Sprig.Connect.Sprig --keys viewcode,enter --quit
check 3 "$@" --run-command Sprig.Connect.Sprig --keys explore --quit
"$run" regsvr32 /u /s "$dll" || { echo "regsvr32 /u failed"; exit 1; }
check 4 "$@" --run-command Sprig.Connect.Sprig --quit
exit $status
