#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian package: installs what is missing, builds the programs in build-package/ and
# makes the .deb there with CPack. Install it with `sudo apt-get install ./build-package/*.deb`.
# Further arguments go to CMake (CI passes -DTOBIUO_WERROR=ON).
set -euo pipefail
cd "$(dirname "$0")"
EXTRA_PACKAGES="dpkg-dev ${EXTRA_PACKAGES:-}" scripts/setup.sh build-package -DBUILD_TESTING=OFF \
  -DTOBIUO_BUILD_BENCH=OFF -DCMAKE_INSTALL_PREFIX=/usr -DCMAKE_INSTALL_BINDIR=games "$@"
(cd build-package && cpack -G DEB)
ls build-package/*.deb
