#!/usr/bin/env bash
# Generates a solution, lists it with sprig-find --solution and compares the result with what the
# generator wrote: the counts in the title, and every file's path, project name and project path.
#   round-trip.sh FILES WORKDIR -- COMMAND...
# WORKDIR is an absolute path; its Windows name is Wine's (drive Z: is the root), natively too.
set -euo pipefail
files=$1 work=$2
shift 3
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
export LC_ALL=C

rm -rf "$work"
mkdir -p "$work"
python3 "$root/tools/make-solution.py" "$work" "$files" --expect "$work/expected.tsv" >/dev/null
"$@" --solution "$work/Generated.sln" " " >"$work/out.txt"

count=$(wc -l <"$work/expected.tsv")
title=$(head -n 1 "$work/out.txt")
if [ "$title" != "Open File(s) in Solution ($count of $count)" ]; then
  echo "title '$title'; the generator wrote $count files"
  exit 1
fi
tail -n +2 "$work/out.txt" | cut -f 3- | sort >"$work/listed.tsv"
PREFIX="Z:$(printf %s "$work" | tr / '\\')\\" \
  awk -F '\t' 'BEGIN { OFS = "\t" } { print ENVIRON["PREFIX"] $1, $2, $3 }' "$work/expected.tsv" | sort >"$work/written.tsv"
if ! cmp -s "$work/written.tsv" "$work/listed.tsv"; then
  echo "the listed files differ from those written (< written, > listed):"
  diff "$work/written.tsv" "$work/listed.tsv" | head -n 20
  exit 1
fi
