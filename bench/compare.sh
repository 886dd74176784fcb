#!/usr/bin/env bash
# Times sprig-find on one synthetic catalogue beside plain grep over the same lines with similar
# queries, and prints the ratios.
#   bench/compare.sh [FILES] [BUILD_DIR]     (defaults: 1000000 files, build/native)
# "refresh" is sprig-find's own measure of one refresh in memory (parse, filter, sort, choose the
# row), the work of one keystroke; "whole run" is one sprig-find process from start to end (reading
# and decoding the list, one refresh, writing the rows); "grep" is one grep pipeline over the
# list, output discarded. grep matches anywhere in the line and does not sort, so the queries are
# only alike, not equal.
set -euo pipefail

files=${1:-1000000}
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${2:-$root/build/native}
find=$build/tools/sprig-find/sprig-find
writer=$build/bench/write_catalogue
for program in "$find" "$writer"; do
  [ -x "$program" ] || { echo "compare.sh: $program is missing; build $build first" >&2; exit 2; }
done

list=$(mktemp --suffix=.tsv)
trap 'rm -f "$list"' EXIT
"$writer" "$files" >"$list"
export LC_ALL=C  # grep on bytes, as sprig-find folds ASCII only
repeat=5

now() { date +%s%N; }
ms() { awk -v ns="$1" -v n="$2" 'BEGIN { printf "%.1f", ns / n / 1e6 }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }

# grep_time "PIPELINE": mean wall time of one run of the pipeline, in ms.
grep_time() {
  local start end
  start=$(now)
  # Through cat: grep stops at the first match when its output is /dev/null.
  for _ in $(seq $repeat); do eval "$1" | cat >/dev/null; done
  end=$(now)
  ms $((end - start)) $repeat
}

printf 'catalogue: %s files, %s bytes; times in ms, means of %s runs\n' "$files" "$(stat -c %s "$list")" "$repeat"
printf '%-22s %8s %10s %10s %8s %12s %9s  %s\n' query rows "refresh" "whole run" grep refresh/grep run/grep "grep pipeline"
compare() {  # compare SPRIG_QUERY GREP_PIPELINE
  local query=$1 pipeline=$2 refresh start end whole grepped rows
  refresh=$("$find" --catalogue "$list" --repeat $repeat -- "$query" 2>&1 >/dev/null |
            sed -n 's/.*one refresh: \([0-9.]*\) ms.*/\1/p')
  start=$(now)
  rows=$("$find" --catalogue "$list" -- "$query" | wc -l)
  end=$(now)
  whole=$(ms $((end - start)) 1)
  grepped=$(grep_time "$pipeline")
  printf '%-22s %8s %10s %10s %8s %12s %9s  %s\n' "\"$query\"" $((rows - 1)) "$refresh" "$whole" "$grepped" \
    "$(ratio "$refresh" "$grepped")" "$(ratio "$whole" "$grepped")" "$pipeline"
}

compare "" "grep -F -i -e '' \"\$list\""
compare "shader.h" "grep -F -i -e 'shader.h' \"\$list\""
compare "core /render -test" "grep -F -i -e core \"\$list\" | grep -F -i -e render | grep -F -v -i -e test"
compare "*util*.h" "grep -E -i -e 'util[^\\\\]*\\.h\$' \"\$list\""
