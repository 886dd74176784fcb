#!/usr/bin/env bash
# The one test command: installs what is missing, builds every tree and runs every test.
#   native  core tests and benchmarks built with g++
#   asan    the same tests under AddressSanitizer and UndefinedBehaviorSanitizer
#   fuzz    the libFuzzer targets (clang), run for a fixed number of inputs
#   win32   the MinGW cross build and the packages (tools/package.sh); its tests run under 32-bit Wine
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
"$root/tools/install-deps.sh"

jobs=$(nproc)
configure() {  # configure DIR [cmake args...]
  local dir=$1; shift
  cmake -S "$root" -B "$root/build/$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
  cmake --build "$root/build/$dir" -j "$jobs"
}

echo "== native"
configure native
ctest --test-dir build/native --output-on-failure -j "$jobs"

echo "== asan"
configure asan -DSPRIG_SANITIZE=ON -DSPRIG_BENCH=OFF
ctest --test-dir build/asan --output-on-failure -j "$jobs"

echo "== fuzz"
configure fuzz -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DSPRIG_FUZZ=ON -DSPRIG_SANITIZE=ON
for fuzzer in build/fuzz/tests/fuzz/*_fuzz; do
  "$fuzzer" -runs=300000 -max_len=512 -seed=1 2>&1 | tail -n 1
done

echo "== win32"
configure win32 --toolchain "$root/cmake/mingw-i686.cmake"
"$root/tools/package.sh"
SPRIG_WINEPREFIX="$root/build/wineprefix" \
  "$root/tools/with-display.sh" ctest --test-dir build/win32 --output-on-failure
