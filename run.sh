#!/usr/bin/env bash
# Sets up and builds the project, then plays one run with the window's defaults.
set -euo pipefail
cd "$(dirname "$0")"
scripts/setup.sh >&2
exec build/cli/tobiuo-sim run "$@"
