#!/usr/bin/env bash
# Times sprig-find end to end beside `fzf -e --filter` on one synthetic catalogue, for query pairs
# that ask alike, and prints the ratios; with the cross build's sprig-find.exe, also its peak
# memory under Wine beside the UTF-16 text of the paths.
#   bench/compare.sh [FILES] [BUILD_DIR] [WIN32_BUILD_DIR]
#   (defaults: 1000000 files, build/native, build/win32)
# "whole run" is one process from start to end: for sprig-find reading and decoding the catalogue
# (four fields a line), the first refresh and writing the rows; for fzf reading the paths alone,
# one a line, as a user feeds it, matching whole lines exactly (case only where the query has
# capitals) and writing the matches, so its matches are alike but not the same rows; with
# FOUR_FIELDS=1 also fzf fed the catalogue's lines, twice the text. "refresh" is sprig-find's own
# measure of one refresh in memory, the work of a keystroke. fzf has no empty query and no "-"
# negation: "" goes against "C" (every path starts with C:), "Core -test" against "Core !test".
# Medians of RUNS runs (default 5); a ratio below 1 is sprig-find faster.
set -euo pipefail

files=${1:-1000000}
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${2:-$root/build/native}
win32=${3:-$root/build/win32}
find=$build/tools/sprig-find/sprig-find
findExe=$win32/tools/sprig-find/sprig-find.exe
writer=$build/bench/write_catalogue
for program in "$find" "$writer"; do
  [ -x "$program" ] || { echo "compare.sh: $program is missing; build $build first" >&2; exit 2; }
done
command -v fzf >/dev/null || { echo "compare.sh: fzf is missing (tools/install-deps.sh installs it)" >&2; exit 2; }

list=$(mktemp --suffix=.tsv)
paths=$(mktemp --suffix=.txt)
trap 'rm -f "$list" "$paths"' EXIT
"$writer" "$files" >"$list"
cut -f4 "$list" >"$paths"
repeat=${RUNS:-5}
fzfOptions=(-e)

now() { date +%s%N; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }

# median_ms COMMAND...: median wall time of one run in ms, output discarded.
median_ms() {
  local start end
  for _ in $(seq $repeat); do
    start=$(now)
    "$@" >/dev/null
    end=$(now)
    echo $(((end - start) / 1000000))
  done | sort -n | sed -n "$(((repeat + 1) / 2))p"
}

# fzf_run FILE QUERY: fzf over FILE; no match (status 1) is no failure.
fzf_run() { fzf "${fzfOptions[@]}" --filter "$2" <"$1" || [ $? = 1 ]; }

printf 'catalogue: %s files, %s bytes; paths alone %s bytes; wall times in ms, medians of %s runs\n' \
  "$files" "$(stat -c %s "$list")" "$(stat -c %s "$paths")" "$repeat"
printf '%-14s %-14s %8s %8s %10s %9s %8s %8s %14s\n' sprig-find fzf rows matches refresh "whole run" fzf \
  run/fzf "${FOUR_FIELDS:+fzf (4 fields)}"
compare() {  # compare SPRIG_QUERY FZF_QUERY
  local query=$1 fzfQuery=$2 refresh whole fuzzy fuzzyLines rows matches
  refresh=$("$find" --catalogue "$list" --repeat $repeat -- "$query" 2>&1 >/dev/null |
            sed -n 's/.*one refresh: \([0-9.]*\) ms.*/\1/p')
  rows=$(("$("$find" --catalogue "$list" -- "$query" | wc -l)" - 1))
  matches=$(fzf_run "$paths" "$fzfQuery" | wc -l)
  whole=$(median_ms "$find" --catalogue "$list" -- "$query")
  fuzzy=$(median_ms fzf_run "$paths" "$fzfQuery")
  fuzzyLines=
  [ -n "${FOUR_FIELDS:-}" ] && fuzzyLines=$(median_ms fzf_run "$list" "$fzfQuery")
  printf '%-14s %-14s %8s %8s %10s %9s %8s %8s %14s\n' "\"$query\"" "\"$fzfQuery\"" "$rows" "$matches" \
    "$refresh" "$whole" "$fuzzy" "$(ratio "$whole" "$fuzzy")" "$fuzzyLines"
}

compare "render" "render"
compare "mesh .h" "mesh .h"
compare "Core -test" "Core !test"
compare "" "C"

# Peak memory of the Windows program for the query that keeps every row, against the paths' text
# in UTF-16 (two bytes a unit; the paths are ASCII) and against the same program given no file.
if [ -x "$findExe" ] || [ -f "$findExe" ]; then
  peak_kb() {  # peak_kb CATALOGUE
    local times
    times=$(mktemp)
    # Timed inside the display, so that the X server started for it is not what is measured.
    SPRIG_WINEPREFIX="${SPRIG_WINEPREFIX:-$root/build/wineprefix}" "$root/tools/with-display.sh" \
      /usr/bin/time -o "$times" -f %M "$root/tools/wine-run.sh" "$findExe" --catalogue "$1" -- "" >/dev/null
    tail -n 1 "$times"
    rm -f "$times"
  }
  empty=$(mktemp --suffix=.tsv)
  printf '0\tP\tP\tC:\\a.txt\n' >"$empty"
  text=$(($(stat -c %s "$paths") - files))  # bytes less one line break a path
  full=$(peak_kb "$list")
  bare=$(peak_kb "$empty")
  rm -f "$empty"
  printf 'sprig-find.exe under Wine, "" over %s files: peak %s KB (%s KB with one file); UTF-16 paths %s KB; peak/paths %s, less the one-file run %s\n' \
    "$files" "$full" "$bare" "$((text * 2 / 1024))" "$(ratio "$full" "$((text * 2 / 1024))")" \
    "$(ratio "$((full - bare))" "$((text * 2 / 1024))")"
fi
