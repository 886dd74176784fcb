#!/usr/bin/env bash
# Installs the Debian packages that the builds and tests need, skipping the work when all are present.
set -euo pipefail

packages=(
  cmake make ninja-build g++ clang libclang-rt-14-dev clang-format-14 python3
  googletest libgtest-dev libbenchmark-dev
  g++-mingw-w64-i686 mingw-w64-tools binutils-mingw-w64-i686
  wine wine32:i386 libwine-dev fonts-wine xvfb xauth imagemagick x11-utils
  librapidxml-dev nsis fzf
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $sudo dpkg --add-architecture i386
fi
echo "installing: ${missing[*]}"
$sudo apt-get update -q
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
