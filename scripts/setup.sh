#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing from Debian's archive, then configures and builds the project.
# Usage: scripts/setup.sh BUILD_DIR [extra cmake arguments]
# EXTRA_PACKAGES (environment) names further packages to install, such as CI's X server tools.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=$1
shift

packages=(cmake ninja-build g++ pkg-config libgtest-dev libbenchmark-dev nlohmann-json3-dev zlib1g-dev
          qt6-base-dev qt6-charts-dev qt6-translations-l10n fonts-noto-cjk scdoc librsvg2-bin ${EXTRA_PACKAGES:-})
scripts/install.sh "${packages[@]}"

cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release "$@"
cmake --build "$build_dir"
