#!/usr/bin/env bash
# Takes docs/dialog.png: the dialog over the sample solution (samples/Sample.sln), with a filter
# typed, on an Xvfb screen (or on DISPLAY when it is set), cropped to the dialog. Wine's virtual
# desktop draws the window frame, which no window manager does on a bare Xvfb. The dialog starts
# from no remembered settings.
#   tools/screenshot-dialog.sh [FILTER [OUTPUT]]
# Builds build/win32 first; the prefix is build/wineprefix as for the tests.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
filter=${1:-/engine/ -.h}
output=${2:-$root/docs/dialog.png}

if [ -z "${DISPLAY:-}" ]; then
  exec "$root/tools/with-display.sh" "$0" "$filter" "$output"
fi

# A tree that exists keeps its generator; a new one is made with Ninja.
CMAKE_GENERATOR=${CMAKE_GENERATOR:-Ninja} cmake -S "$root" -B "$root/build/win32" \
  --toolchain "$root/cmake/mingw-i686.cmake" >/dev/null
cmake --build "$root/build/win32" -j 2 --target show-dialog
export SPRIG_WINEPREFIX="${SPRIG_WINEPREFIX:-$root/build/wineprefix}"
run() { "$root/tools/wine-run.sh" "$@"; }

run reg add 'HKCU\Software\Wine\Explorer\Desktops' /v sprig-picture /d 800x600 /f >/dev/null
run reg add 'HKCU\Software\Wine\AppDefaults\show-dialog.exe\Explorer' /v Desktop /d sprig-picture /f >/dev/null
# Tahoma, which the dialog font "MS Shell Dlg" stands for, and Marlett, which draws the caption
# buttons, come with Wine (Debian's fonts-wine), but this Wine does not look for them where Debian
# puts them: the prefix gets copies.
cp -u /usr/share/wine/fonts/{tahoma,tahomabd,marlett}.ttf "$SPRIG_WINEPREFIX/drive_c/windows/Fonts/"

# The sample goes to drive C: of the prefix, so that the picture shows plain Windows paths.
rm -rf "$SPRIG_WINEPREFIX/drive_c/Projects/Sample"
mkdir -p "$SPRIG_WINEPREFIX/drive_c/Projects"
cp -r "$root/samples" "$SPRIG_WINEPREFIX/drive_c/Projects/Sample"
settings="HKCU\\Software\\Tarn's Tools\\Sprig!"
run reg delete "$settings" /f >/dev/null 2>&1 || true
if run reg query "$settings" >/dev/null 2>&1; then
  echo "screenshot-dialog: cannot delete the remembered settings" >&2
  exit 1
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkfifo "$work/out"
run "$root/build/win32/tools/show-dialog/show-dialog.exe" --solution 'C:\Projects\Sample\Sample.sln' \
  --filter "$filter" --close-after 3000 >"$work/out" &
shower=$!
exec 3<"$work/out"
read -r line <&3 || true
# A Windows program ends its lines with CR LF.
read -r word left top right bottom <<<"${line%$'\r'}"
if [ "${word:-}" != ready ]; then
  echo "screenshot-dialog: the dialog did not come up" >&2
  exit 1
fi
sleep 1  # let the list finish painting

# The virtual desktop is a window of its own on the X screen; the dialog lies inside it.
desktop=$(xwininfo -root -tree | grep -m1 '"sprig-picture' | awk '{print $1}')
origin=$(xwininfo -id "$desktop" | awk '/Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4} END {print x, y}')
read -r ox oy <<<"$origin"
import -window root "$work/screen.png"
mkdir -p "$(dirname "$output")"
convert "$work/screen.png" -crop "$((right - left))x$((bottom - top))+$((ox + left))+$((oy + top))" +repage "$output"
cat <&3 >/dev/null
wait "$shower"
echo "wrote $output"
