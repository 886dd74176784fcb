#!/usr/bin/env bash
# Makes what a Windows user downloads, from a fresh clone on Debian:
#   tools/package.sh
# Installs what is missing, cross-builds the add-in and writes Sprig-<version>-setup.exe and
# Sprig-<version>-win32.zip to build/win32/packages/ (the version is the project's, in CMakeLists.txt).
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$root/tools/install-deps.sh"
# A tree that exists keeps its generator (tools/test.sh builds this one with Make); a new one is
# made with Ninja.
CMAKE_GENERATOR=${CMAKE_GENERATOR:-Ninja} cmake -S "$root" -B "$root/build/win32" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  --toolchain "$root/cmake/mingw-i686.cmake" >/dev/null
cmake --build "$root/build/win32" -j "$(nproc)" --target sprig_packages
ls -1 "$root"/build/win32/packages/Sprig-*-setup.exe "$root"/build/win32/packages/Sprig-*-win32.zip
