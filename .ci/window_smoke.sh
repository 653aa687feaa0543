#!/usr/bin/env bash
# Starts the real program on an X server, waits for its main window, checks the caption, closes it
# the way a window manager would and expects the program to end cleanly. Run under xvfb-run.
set -euo pipefail
caption="トビウオ号 シュミレーター ver 1.0"
program=${1:-build/ui/tobiuo}

"$program" &
pid=$!
window=""
for _ in $(seq 1 200); do
  window=$(xdotool search --name 'ver 1\.0' 2>/dev/null | head -n 1 || true)
  [ -n "$window" ] && break
  kill -0 "$pid" 2>/dev/null || { echo "the program ended before showing its window"; exit 1; }
  sleep 0.1
done
[ -n "$window" ] || { echo "no window appeared"; kill "$pid"; exit 1; }
title=$(xprop -id "$window" _NET_WM_NAME | sed -e 's/^[^"]*"//' -e 's/"$//')
if [ "$title" != "$caption" ]; then
  echo "unexpected caption: $title"; kill "$pid"; exit 1
fi
echo "window $window shown: $title"
python3 "$(dirname "$0")/close_window.py" "$window"
for _ in $(seq 1 50); do
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
if kill -0 "$pid" 2>/dev/null; then echo "the program did not close"; kill "$pid"; exit 1; fi
wait "$pid"
echo "window closed, program ended"
