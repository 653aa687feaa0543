#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# A Slurm job array, one shard per task: submit with
#   sbatch --array=0-99 examples/slurm.sh
# then, once every task has finished, merge the partials:
#   build/cli/tobiuo-sim merge partials/part-*.json
# (Not run in CI: it needs a Slurm cluster.)
#SBATCH --job-name=tobiuo-batch
#SBATCH --cpus-per-task=1
#SBATCH --output=partials/slurm-%a.log
set -euo pipefail
runs=${RUNS:-1000000}             # runs per setting over the whole array
shards=${SLURM_ARRAY_TASK_COUNT:-100}
seed=${SEED:-1}
k=$SLURM_ARRAY_TASK_ID
first=$(( k * runs / shards ))
next=$(( (k + 1) * runs / shards ))
mkdir -p partials
build/cli/tobiuo-sim batch --runs $((next - first)) --first-run "$first" --batch-runs "$runs" \
  --seed "$seed" --threads 1 --games 8000 --format partial > "partials/part-$k.json"
