#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Sets up and builds the project in build-test/ with warnings as errors, then runs every test:
# the native ones, then the web edition's (built into build-web/, checked in Chromium against
# build-test's tobiuo-sim). The player's build in build/ is left alone.
set -euo pipefail
cd "$(dirname "$0")"
scripts/setup.sh build-test -DTOBIUO_WERROR=ON
ctest --test-dir build-test --output-on-failure -j "$(nproc)"
TOBIUO_SIM=build-test/cli/tobiuo-sim ./web.sh --test
