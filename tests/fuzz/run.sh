#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs each fuzz target for a while, the three at once, starting from the golden files (a
# partial's body, sealed by the target, a cases file and histories).
# Usage: tests/fuzz/run.sh BUILD_DIR SECONDS
set -euo pipefail
cd "$(dirname "$0")/../.."
build=$1 seconds=$2
corpus=$(mktemp -d)
trap 'rm -rf "$corpus"' EXIT
mkdir -p "$corpus/partial" "$corpus/cases" "$corpus/history"
python3 - "$corpus/partial/golden" <<'PY'
import sys
text = open("tests/golden/partial_runs0-14.json").read()
open(sys.argv[1], "w").write("\x01" + text[:text.rfind(',"checksum"')])
PY
cp tests/golden/cases.csv "$corpus/cases/"
{ printf '\x01'; head -n 12 tests/golden/history_setting6.csv; } >"$corpus/history/csv"
{ printf '\x00'; head -n 3 tests/golden/history_cases.jsonl; } >"$corpus/history/jsonl"
# The three run side by side, each for the time given; a crash in any fails the whole.
targets=(partial cases history)
pids=()
for target in "${targets[@]}"; do
  "$build/tests/fuzz/${target}_fuzz" -max_total_time="$seconds" -print_final_stats=0 \
    "$corpus/$target" > "$corpus/$target.log" 2>&1 &
  pids+=($!)
done
status=0
for i in "${!targets[@]}"; do
  target=${targets[$i]}
  if wait "${pids[$i]}"; then
    echo "$target: $(tail -n 1 "$corpus/$target.log")"
  else
    status=1
    echo "$target failed:"; tail -n 40 "$corpus/$target.log"
  fi
done
exit "$status"
