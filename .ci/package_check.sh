#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the Debian package as a user would, checks what it installed, and purges it again,
# leaving nothing behind. Usage: .ci/package_check.sh DEB BUILD_TREE_TOBIUO_SIM
set -euo pipefail
deb=$(realpath "$1") built=$2
lintian --fail-on error "$deb"
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "$deb"
test "$(/usr/games/tobiuo-sim --version)" = "tobiuo-sim $(dpkg-deb -f "$deb" Version)"
cmp <(/usr/games/tobiuo-sim run --seed 8 --setting 4 --games 2000 2>/dev/null) \
    <("$built" run --seed 8 --setting 4 --games 2000 2>/dev/null)
man -w tobiuo-sim
man -w 6 tobiuo
desktop-file-validate /usr/share/applications/tobiuo.desktop
appstreamcli validate --no-net /usr/share/metainfo/org.tobiuo.simulator.metainfo.xml
xvfb-run -a -s "-screen 0 1280x1024x24" .ci/window_smoke.sh /usr/games/tobiuo
DEBIAN_FRONTEND=noninteractive apt-get purge -y -qq --auto-remove tobiuo
if dpkg -s tobiuo >/dev/null 2>&1 || [ -e /usr/games/tobiuo ] || [ -e /usr/share/doc/tobiuo ]; then
  echo "the package left files behind"; exit 1
fi
echo "the package installs, works and purges cleanly"
