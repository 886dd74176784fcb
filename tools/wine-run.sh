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
  # The title bar's buttons are letters of the Marlett symbol font, and dialogs ask for Tahoma:
  # both come with Wine but must be copied where this Wine looks for them, else the buttons draw
  # as "0 1 r".
  fonts=/usr/share/wine/fonts
  if [ -d "$fonts" ]; then
    mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
    for font in tahoma tahomabd marlett; do
      if [ -f "$fonts/$font.ttf" ]; then cp -u "$fonts/$font.ttf" "$WINEPREFIX/drive_c/windows/Fonts/"; fi
    done
  fi
) 9>"$WINEPREFIX.lock"

exec wine "$@"
