#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs each fuzz target for a while, starting from the golden files (a partial's body, sealed by
# the target, and a cases file). Usage: tests/fuzz/run.sh BUILD_DIR SECONDS
set -euo pipefail
cd "$(dirname "$0")/../.."
build=$1 seconds=$2
corpus=$(mktemp -d)
trap 'rm -rf "$corpus"' EXIT
mkdir -p "$corpus/partial" "$corpus/cases"
python3 - "$corpus/partial/golden" <<'PY'
import sys
text = open("tests/golden/partial_runs0-14.json").read()
open(sys.argv[1], "w").write("\x01" + text[:text.rfind(',"checksum"')])
PY
cp tests/golden/cases.csv "$corpus/cases/"
for target in partial cases; do
  "$build/tests/fuzz/${target}_fuzz" -max_total_time="$seconds" -print_final_stats=0 \
    "$corpus/$target" 2>&1 | tail -n 1
done
