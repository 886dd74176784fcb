#!/usr/bin/env bash
# Runs a command with an X display: the caller's DISPLAY, else an Xvfb started here and stopped
# when the command ends.
set -euo pipefail

if [ -n "${DISPLAY:-}" ]; then
  exec "$@"
fi

# -displayfd lets Xvfb pick a free display number and tell it once the server is ready.
fd_file=$(mktemp)
Xvfb -displayfd 1 -screen 0 1280x1024x24 -nolisten tcp >"$fd_file" 2>/dev/null &
xvfb=$!
trap 'kill $xvfb 2>/dev/null; wait $xvfb 2>/dev/null; rm -f "$fd_file"' EXIT
for _ in $(seq 100); do
  [ -s "$fd_file" ] && break
  kill -0 $xvfb 2>/dev/null || { echo "with-display: Xvfb did not start" >&2; exit 1; }
  sleep 0.1
done
[ -s "$fd_file" ] || { echo "with-display: Xvfb gave no display" >&2; exit 1; }
export DISPLAY=":$(head -n1 "$fd_file")"
"$@"
