#!/usr/bin/env bash
# Times sprig-find end to end beside `fzf -e --filter` on one synthetic catalogue, for query pairs
# that ask alike, and prints the ratios.
#   bench/compare.sh [FILES] [BUILD_DIR]     (defaults: 1000000 files, build/native)
# "whole run" is one process from start to end: for sprig-find reading and decoding the list, the
# first refresh and writing the rows; for `fzf -e --filter` reading the list, matching whole
# lines exactly (case only where the query has capitals) and writing the matches, so its matches
# are alike but not the same rows. "refresh" is sprig-find's own measure of one refresh in
# memory, the work of a keystroke. fzf has no empty query and no "-" negation:
# "" goes against "C" (every line holds C:), "Core -test" against "Core !test". Means of a few
# runs; a ratio below 1 is sprig-find faster.
set -euo pipefail

files=${1:-1000000}
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${2:-$root/build/native}
find=$build/tools/sprig-find/sprig-find
writer=$build/bench/write_catalogue
for program in "$find" "$writer"; do
  [ -x "$program" ] || { echo "compare.sh: $program is missing; build $build first" >&2; exit 2; }
done
command -v fzf >/dev/null || { echo "compare.sh: fzf is missing (tools/install-deps.sh installs it)" >&2; exit 2; }

list=$(mktemp --suffix=.tsv)
trap 'rm -f "$list"' EXIT
"$writer" "$files" >"$list"
repeat=3
fzfOptions=(-e)

now() { date +%s%N; }
ms() { awk -v ns="$1" -v n="$2" 'BEGIN { printf "%.0f", ns / n / 1e6 }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }

# mean_ms COMMAND...: mean wall time of one run, output discarded.
mean_ms() {
  local start end
  start=$(now)
  for _ in $(seq $repeat); do "$@" >/dev/null; done
  end=$(now)
  ms $((end - start)) $repeat
}

printf 'catalogue: %s files, %s bytes; wall times in ms, means of %s runs\n' "$files" "$(stat -c %s "$list")" "$repeat"
printf '%-14s %-14s %8s %8s %10s %8s %8s %8s\n' sprig-find fzf rows matches refresh "whole run" fzf run/fzf
compare() {  # compare SPRIG_QUERY FZF_QUERY
  local query=$1 fzfQuery=$2 refresh whole fuzzy rows matches
  refresh=$("$find" --catalogue "$list" --repeat $repeat -- "$query" 2>&1 >/dev/null |
            sed -n 's/.*one refresh: \([0-9.]*\) ms.*/\1/p')
  rows=$(("$("$find" --catalogue "$list" -- "$query" | wc -l)" - 1))
  matches=$( (fzf "${fzfOptions[@]}" --filter "$fzfQuery" <"$list" || true) | wc -l)
  whole=$(mean_ms "$find" --catalogue "$list" -- "$query")
  fuzzy=$(mean_ms sh -c 'fzf "$@" <"$0" || [ $? = 1 ]' "$list" "${fzfOptions[@]}" --filter "$fzfQuery")
  printf '%-14s %-14s %8s %8s %10s %8s %8s %8s\n' "\"$query\"" "\"$fzfQuery\"" "$rows" "$matches" "$refresh" \
    "$whole" "$fuzzy" "$(ratio "$whole" "$fuzzy")"
}

compare "render" "render"
compare "mesh .h" "mesh .h"
compare "Core -test" "Core !test"
compare "" "C"
