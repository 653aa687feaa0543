#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Starts the real program on an X server, waits for its main window, checks the caption, plays a
# run from the keyboard, opens the real save dialog and checks that Qt's own title of it is
# Japanese under an English locale, closes the window the way a window manager would and expects
# the program to end cleanly. Run under xvfb-run.
set -euo pipefail
caption="トビウオ号 シュミレーター ver 1.0"
program=${1:-build/ui/tobiuo}

LANG=C.UTF-8 LC_ALL=C.UTF-8 "$program" &
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

# The focus starts in 設定; Tab goes to 実行. Then ファイル > データの保存 on the menu bar.
xdotool key --window "$window" Tab space
sleep 1
dialog=""
for _ in $(seq 1 5); do
  xdotool mousemove --window "$window" 20 10 click 1
  sleep 0.5
  xdotool mousemove --window "$window" 50 35 click 1
  for _ in $(seq 1 20); do
    dialog=$(xdotool search --name '名前を付けて保存' 2>/dev/null | head -n 1 || true)
    [ -n "$dialog" ] && break 2
    sleep 0.1
  done
done
[ -n "$dialog" ] || { echo "no save dialog titled 名前を付けて保存 appeared"; kill "$pid"; exit 1; }
echo "save dialog shown: $(xdotool getwindowname "$dialog")"
# The dialog closes on the key press, so sending the release to it fails; that is expected.
xdotool key --window "$dialog" Escape 2>/dev/null || true
for _ in $(seq 1 20); do
  [ -z "$(xdotool search --name '名前を付けて保存' 2>/dev/null || true)" ] && break
  sleep 0.1
done
python3 "$(dirname "$0")/close_window.py" "$window"
for _ in $(seq 1 50); do
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
if kill -0 "$pid" 2>/dev/null; then echo "the program did not close"; kill "$pid"; exit 1; fi
wait "$pid"
echo "window closed, program ended"
