#!/usr/bin/env bash
# The one test command: installs what is missing, checks the format, builds every tree with
# warnings as errors and runs every test.
#   format  the project's own C++ sources as clang-format 14 writes them (.clang-format at the top)
#   native  core tests and benchmarks built with g++
#   asan    the same tests under AddressSanitizer and UndefinedBehaviorSanitizer
#   fuzz    the libFuzzer targets (clang), run for a fixed number of inputs
#   win32   the MinGW cross build and the packages (tools/package.sh); its tests run under 32-bit Wine.
#           It is built with Make, the others with Ninja, so that the build keeps working with both.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
"$root/tools/install-deps.sh"

jobs=$(nproc)
configure() {  # configure DIR GENERATOR [cmake args...]
  local dir=$1 generator=$2; shift 2
  local cache="$root/build/$dir/CMakeCache.txt"
  # CMake cannot switch a tree to another generator: such a tree is made afresh.
  if [ -f "$cache" ] && ! grep -qxF "CMAKE_GENERATOR:INTERNAL=$generator" "$cache"; then
    rm -rf "${root:?}/build/$dir"
  fi
  cmake -S "$root" -B "$root/build/$dir" -G "$generator" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSPRIG_WERROR=ON "$@" \
    >/dev/null
  cmake --build "$root/build/$dir" -j "$jobs"
}

echo "== format"
# Every C++ file in the repository but the sample solution's, which is data for the loader.
git -C "$root" ls-files -z -- '*.cpp' '*.h' ':!:samples/' | xargs -0 clang-format-14 --dry-run --Werror

echo "== native"
configure native Ninja
ctest --test-dir build/native --output-on-failure -j "$jobs"

echo "== asan"
configure asan Ninja -DSPRIG_SANITIZE=ON -DSPRIG_BENCH=OFF
ctest --test-dir build/asan --output-on-failure -j "$jobs"

echo "== fuzz"
configure fuzz Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DSPRIG_FUZZ=ON -DSPRIG_SANITIZE=ON
# A target's seed inputs (tests/fuzz/NAME/) and dictionary (tests/fuzz/NAME.dict) start it off;
# what it finds goes to a scratch corpus. Each runs for a fixed number of inputs or three minutes.
for fuzzer in build/fuzz/tests/fuzz/*_fuzz; do
  name=$(basename "$fuzzer")
  corpus=$(mktemp -d)
  args=("$corpus")
  [ -d "tests/fuzz/$name" ] && args+=("tests/fuzz/$name")
  [ -f "tests/fuzz/$name.dict" ] && args+=("-dict=tests/fuzz/$name.dict")
  "$fuzzer" -runs=300000 -max_total_time=180 -max_len=512 -seed=1 "${args[@]}" 2>&1 | tail -n 1
  rm -rf "$corpus"
done

echo "== win32"
configure win32 "Unix Makefiles" --toolchain "$root/cmake/mingw-i686.cmake"
"$root/tools/package.sh"
SPRIG_WINEPREFIX="$root/build/wineprefix" \
  "$root/tools/with-display.sh" ctest --test-dir build/win32 --output-on-failure
