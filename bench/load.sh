#!/usr/bin/env bash
# Times the loading of generated solutions of 10 000, 100 000 and 1 000 000 files (or the sizes
# given), written once by tools/make-solution.py under build/bench-solutions.
#   bench/load.sh [FILES...]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
bench="$root/build/native/bench/load_bench"
[ -x "$bench" ] || { echo "load.sh: build $bench first (cmake --build build/native)" >&2; exit 1; }

solutions=()
for files in "${@:-10000 100000 1000000}"; do
  for n in $files; do
    dir="$root/build/bench-solutions/$n"
    if [ ! -f "$dir/Generated.sln" ]; then
      mkdir -p "$dir"
      python3 "$root/tools/make-solution.py" "$dir" "$n"
    fi
    solutions+=("$dir/Generated.sln")
  done
done
"$bench" --benchmark_min_time=1 "${solutions[@]}"
