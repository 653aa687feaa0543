#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Sets up and builds the project in build-test/ with warnings as errors, then runs every test:
# the native ones, then the web edition's (built into build-web/, checked in Chromium against
# build-test's tobiuo-sim). The player's build in build/ is left alone.
# Usage: ./test.sh [--native]   (--native: the native tests only, a quick round while working on
# the windows or the native tests; CI always runs both)
set -euo pipefail
cd "$(dirname "$0")"
case "${1:-}" in
  "" | --native) ;;
  *) echo "usage: ./test.sh [--native]" >&2; exit 2 ;;
esac
scripts/setup.sh build-test -DTOBIUO_WERROR=ON
ctest --test-dir build-test --output-on-failure -j "$(nproc)"
[ "${1:-}" = --native ] || TOBIUO_SIM=build-test/cli/tobiuo-sim ./web.sh --test
