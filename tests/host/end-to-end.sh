#!/usr/bin/env bash
# Sprig from registration to opened files, in the stand-in environment's own Wine prefix:
#   end-to-end.sh PREFIX SPRIG_DLL EXPECTED_DIR -- sprig-host.exe ARGS...
# Registers the DLL with regsvr32, starts from no remembered settings and no kept commands, then
# compares what each run prints with EXPECTED_DIR/run1.out .. run4.out:
#   0. each from a fresh set-up, in environments of other languages (run-*.out): German and
#      Japanese, with the command bars under their English names or under the language's, and one
#      without a Tools menu: the entry is first in the Tools menu, the menu drops from its access
#      key, the shortcut opens the dialog and Enter opens the file; without a Tools menu the
#      shortcut alone does;
#   1. the add-in is preloaded; the shortcut opens the dialog, a typed filter with a line after
#      the name narrows the list and Enter opens the best row at that line;
#   2. a second run keeps the command without preloading again, the dialog starts from the
#      filter the first run left, and with View Code checked Enter opens the file's code view at
#      the same line;
#   3. Explore shows the best row's folder in the shell's window (closed again by the environment);
#   4. after regsvr32 /u the add-in is not found, and its kept command does nothing harmful.
# Sourced, it only defines end_to_end_registered (runs 1 to 3) and end_to_end_removed (run 4), for
# scripts that register and remove the add-in another way; SPRIG_WINEPREFIX names the prefix.
set -uo pipefail
end_to_end_wine="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/../../tools/wine-run.sh"

# end_to_end_check EXPECTED_DIR N ARGS...: one run of the environment against EXPECTED_DIR/runN.out
end_to_end_check() {
  local expected=$1 n=$2 out err result=0
  shift 2
  out=$(mktemp) err=$(mktemp)
  "$end_to_end_wine" "$@" 2>"$err" | tr -d '\r' >"$out"
  if [ "${PIPESTATUS[0]}" -ne 0 ] || ! cmp -s "$out" "$expected/run$n.out"; then
    echo "run $n differs from $expected/run$n.out:"; diff "$expected/run$n.out" "$out"
    cat "$err"; result=1
  fi
  rm -f "$out" "$err"
  return $result
}

# end_to_end_registered EXPECTED_DIR sprig-host.exe ARGS...: runs 1 to 3, with the add-in registered
end_to_end_registered() {
  local expected=$1 result=0
  shift
  "$end_to_end_wine" reg delete "HKCU\\Software\\Tarn's Tools\\Sprig!" /f >/dev/null 2>&1
  end_to_end_check "$expected" 1 "$@" --forget --shortcut --type main.cpp:3 --keys enter --quit || result=1
  end_to_end_check "$expected" 2 "$@" --run-command Sprig.Connect.Sprig --keys viewcode,enter --quit || result=1
  end_to_end_check "$expected" 3 "$@" --run-command Sprig.Connect.Sprig --keys explore --quit || result=1
  return $result
}

# end_to_end_languages EXPECTED_DIR sprig-host.exe ARGS...: the runs in other languages
end_to_end_languages() {
  local expected=$1 result=0 run
  shift
  for run in de de-bars ja ja-bars no-tools; do
    local options=(--language "${run%%-*}")
    [ "${run#*-}" = bars ] && options+=(--localized-bars)
    [ "$run" = no-tools ] && options=(--language de --no-tools-menu)
    "$end_to_end_wine" reg delete "HKCU\\Software\\Tarn's Tools\\Sprig!" /f >/dev/null 2>&1
    end_to_end_check "$expected" "-$run" "$@" --forget "${options[@]}" --show-tools --shortcut --type main.cpp \
      --keys enter --quit || result=1
  done
  return $result
}

# end_to_end_removed EXPECTED_DIR sprig-host.exe ARGS...: run 4, once the add-in is gone
end_to_end_removed() {
  end_to_end_check "$1" 4 "${@:2}" --run-command Sprig.Connect.Sprig --quit
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
  export SPRIG_WINEPREFIX=$1
  dll=$(winepath -w "$2" 2>/dev/null) expected=$3
  shift 4
  status=0
  "$end_to_end_wine" regsvr32 /s "$dll" || { echo "regsvr32 failed"; exit 1; }
  end_to_end_languages "$expected" "$@" || status=1
  end_to_end_registered "$expected" "$@" || status=1
  "$end_to_end_wine" regsvr32 /u /s "$dll" || { echo "regsvr32 /u failed"; exit 1; }
  end_to_end_removed "$expected" "$@" || status=1
  exit $status
fi
