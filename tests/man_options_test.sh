#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Every option that a command's --help lists is in the manual page, so the two cannot drift apart.
# Usage: tests/man_options_test.sh TOBIUO_SIM MAN_PAGE_SOURCE
set -euo pipefail
sim=$1 page=$2
missing=0
for command in $("$sim" --help | sed -n 's/^ *tobiuo-sim help \[\(.*\)\]$/\1/p' | tr '|' ' '); do
  for option in $("$sim" help "$command" | grep -oE -- '--[a-z][a-z-]+' | sort -u); do
    if ! grep -qF -- "*${option}*" "$page"; then
      echo "$command: $option is not in $page"
      missing=1
    fi
  done
done
exit $missing
