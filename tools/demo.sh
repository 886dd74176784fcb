#!/usr/bin/env bash
# Sprig in the stand-in environment, from a fresh clone:
#   tools/demo.sh [--docs] [FILE.sln]
# Installs what is missing, builds the add-in and the stand-in environment, registers Sprig.dll
# with regsvr32 in a Wine prefix of its own (build/demo-prefix), and runs the environment on the
# solution (samples/Sample.sln by default) with the dialog open. With a DISPLAY, the user works
# with it. Without one, a scripted run under Xvfb opens the Tools menu, presses the shortcut,
# types a filter, opens the best row with Enter, saves pictures and prints the files it opened.
# The pictures go to build/demo-pictures/; with --docs (the sample solution only) they replace the
# README's, in docs/. The tools the README names, show-dialog.exe and sprig-find.exe, are built too.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
pictures=build/demo-pictures
if [ "${1:-}" = --docs ]; then
  pictures=docs
  shift
fi
solution=$(realpath "${1:-$root/samples/Sample.sln}")
if [ "$pictures" = docs ] && [ "$solution" != "$root/samples/Sample.sln" ]; then
  echo "demo: --docs takes the sample solution's pictures only" >&2
  exit 2
fi
filter=${SPRIG_DEMO_FILTER:-main}

# SPRIG_DEMO_MODE is set once built: interactive with the caller's display, else scripted.
if [ -z "${SPRIG_DEMO_MODE:-}" ]; then
  "$root/tools/install-deps.sh"
  # A tree that exists keeps its generator; a new one is made with Ninja.
  CMAKE_GENERATOR=${CMAKE_GENERATOR:-Ninja} cmake -S "$root" -B "$root/build/win32" \
    --toolchain "$root/cmake/mingw-i686.cmake" >/dev/null
  cmake --build "$root/build/win32" -j 2 --target Sprig sprig-host show-dialog sprig-find
  if [ -n "${DISPLAY:-}" ]; then
    export SPRIG_DEMO_MODE=interactive
  else
    export SPRIG_DEMO_MODE=scripted
    args=("$solution")
    [ "$pictures" = docs ] && args=(--docs "$solution")
    exec "$root/tools/with-display.sh" "$0" "${args[@]}"
  fi
fi

export SPRIG_WINEPREFIX="$root/build/demo-prefix"
run() { "$root/tools/wine-run.sh" "$@"; }
host=("$root/build/win32/host/app/sprig-host.exe" --solution "$(winepath -w "$solution" 2>/dev/null)")

# Wine's virtual desktop draws the window frames that a bare X server leaves out (wine-run.sh gives
# the prefix the fonts of their buttons).
run reg add 'HKCU\Software\Wine\Explorer\Desktops' /v sprig-demo /d 1024x768 /f >/dev/null
run reg add 'HKCU\Software\Wine\AppDefaults\sprig-host.exe\Explorer' /v Desktop /d sprig-demo /f >/dev/null
run regsvr32 /s "$(winepath -w "$root/build/win32/Sprig.dll" 2>/dev/null)"
echo "registered Sprig.dll in $SPRIG_WINEPREFIX"

if [ "$SPRIG_DEMO_MODE" = interactive ]; then
  # A person at the screen: the dialog opens, and the environment stays until it is closed.
  exec "$root/tools/wine-run.sh" "${host[@]}" --run-command Sprig.Connect.Sprig
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$root/$pictures"
shot() {
  local desktop
  desktop=$(xwininfo -root -tree | grep -m1 '"sprig-demo' | awk '{print $1}')
  import -window "${desktop:-root}" "$root/$pictures/$1"
  echo "wrote $pictures/$1"
}
# Runs the environment with ARGS, echoing what it prints and taking a picture at the lines that
# call for one.
scripted() {
  rm -f "$work/out" "$work/shot"
  mkfifo "$work/out"
  run "${host[@]}" "$@" --pause 1500 --quit >"$work/out" &
  local environment=$! line
  while IFS= read -r line; do
    line=${line%$'\r'}
    echo "$line"
    case $line in
      menu\ *\ dropped) sleep 0.5; shot demo-tools.png ;;
      dialog\ *) sleep 0.7; shot demo-dialog.png ;;
      opened\ *) [ -f "$work/shot" ] || { touch "$work/shot"; sleep 0.7; shot demo-opened.png; } ;;
    esac
  done <"$work/out"
  wait "$environment"
}
# From no remembered dialog settings, so that the typed filter is the whole filter.
run reg delete "HKCU\\Software\\Tarn's Tools\\Sprig!" /f >/dev/null 2>&1 || true
scripted --forget --show-tools
scripted --shortcut --type "$filter" --keys enter
# Wine's own processes end before the display they draw on goes away.
WINEPREFIX=$SPRIG_WINEPREFIX wineserver -w
