#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Sets up and builds the project in build/, then starts the simulator's window.
set -euo pipefail
cd "$(dirname "$0")"
scripts/setup.sh build
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display to show the window on. Without one, 'build/cli/tobiuo-sim run' plays a run in the terminal." >&2
  exit 1
fi
exec build/ui/tobiuo
