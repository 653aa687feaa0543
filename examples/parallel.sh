#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Spreads one batch over the cores (or, with --sshlogin, the machines) GNU parallel reaches: each
# job plays one shard of the runs and writes its partial; the merge then prints exactly what one
# batch over all the runs prints.
#
# Usage: examples/parallel.sh RUNS SHARDS [batch options...]   e.g. parallel.sh 100000 20 --games 8000
# TOBIUO_SIM names the program (default build/cli/tobiuo-sim); SEED the seed (default 1).
set -euo pipefail
runs=$1 shards=$2
shift 2
sim=${TOBIUO_SIM:-build/cli/tobiuo-sim}
seed=${SEED:-1}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Shard k plays runs [k*runs/shards, (k+1)*runs/shards).
seq 0 $((shards - 1)) | parallel --halt now,fail=1 \
  'first=$(( {} * '"$runs"' / '"$shards"' )); next=$(( ({} + 1) * '"$runs"' / '"$shards"' ));
   '"$sim"' batch --runs $((next - first)) --first-run $first --batch-runs '"$runs"' --seed '"$seed"' --threads 1 \
     --format partial '"$*"' > '"$work"'/part-{}.json 2>/dev/null'
"$sim" merge "$work"/part-*.json
