#!/usr/bin/env bash
# Sets up and builds the project with warnings as errors, then runs every test.
set -euo pipefail
cd "$(dirname "$0")"
scripts/setup.sh -DTOBIUO_WERROR=ON
ctest --test-dir build --output-on-failure -j "$(nproc)"
