#!/usr/bin/env bash
# Runs a Windows program under 32-bit Wine in the project's private prefix, creating the prefix
# on first use. CTest uses this as the emulator of the cross build.
#   SPRIG_WINEPREFIX  the prefix (default: build/wineprefix beside this script's project)
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
export WINEPREFIX="${SPRIG_WINEPREFIX:-$here/../build/wineprefix}"
export WINEARCH=win32
export WINEDEBUG="${WINEDEBUG:--all}"
# Never wait on the Mono or Gecko installers, nor on a debugger when a program crashes.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=;winedbg.exe=d}"

if [ -z "${DISPLAY:-}" ]; then
  echo "wine-run: no DISPLAY; run the tests through tools/with-display.sh" >&2
  exit 1
fi

mkdir -p "$(dirname "$WINEPREFIX")"
(
  flock 9
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    wineboot -i >/dev/null 2>&1
    wineserver -w
  fi
) 9>"$WINEPREFIX.lock"

exec wine "$@"
