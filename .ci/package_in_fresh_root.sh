#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the Debian package into a fresh Debian 12 root made with debootstrap from the archive
# this machine uses, so that a dependency the package forgets cannot hide behind what the build
# machine has; then runs the installed tobiuo-sim there. Where no root can be made (no archive,
# no debootstrap), it says so and does not fail: the package check on this machine still stands.
# Usage: .ci/package_in_fresh_root.sh DEB
set -euo pipefail
deb=$(realpath "$1")
archive=$(sed -n 's/^URIs: *\([^ ]*\).*/\1/p' /etc/apt/sources.list.d/*.sources 2>/dev/null | head -n 1)
[ -n "$archive" ] || archive=$(awk '$1 == "deb" {print $2; exit}' /etc/apt/sources.list 2>/dev/null)
root=$(mktemp -d)
cleanup() {
  for m in proc dev/pts dev; do umount "$root/$m" 2>/dev/null || true; done
  rm -rf "$root"
}
trap cleanup EXIT
if [ -z "$archive" ] || ! debootstrap --variant=minbase bookworm "$root" "$archive" > "$root.log" 2>&1; then
  echo "no fresh Debian 12 root could be made here (see $root.log); skipped"
  exit 0
fi
mount --bind /dev "$root/dev" && mount --bind /dev/pts "$root/dev/pts" && mount -t proc proc "$root/proc"
cp "$deb" "$root/tmp/tobiuo.deb"
chroot "$root" sh -c 'apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq \
  --no-install-recommends /tmp/tobiuo.deb > /dev/null'
chroot "$root" /usr/games/tobiuo-sim --version
chroot "$root" /usr/games/tobiuo-sim run --games 200 --seed 1 > /dev/null
if chroot "$root" ldd /usr/games/tobiuo /usr/games/tobiuo-sim | grep "not found"; then
  echo "a library the programs need is not installed by the package's dependencies"; exit 1
fi
status=0
chroot "$root" env QT_QPA_PLATFORM=offscreen timeout 5 /usr/games/tobiuo || status=$?
[ "$status" -eq 124 ] || { echo "the window did not stay up (status $status)"; exit 1; }
echo "the package installs and runs in a fresh Debian 12 root"
