#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Drives the bash completion as bash does: for a command line, what it offers. Every option that a
# command's --help lists must be offered after "--".
# Usage: tests/completion_test.sh TOBIUO_SIM COMPLETION_SCRIPT
set -uo pipefail
sim=$1
source "$2"
failed=0

# The completions of a command line, the last word the one being completed, sorted on one line.
offered() {
  COMP_WORDS=($1)
  [[ $1 == *" " ]] && COMP_WORDS+=("")
  COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
  COMPREPLY=()
  _tobiuo_sim
  printf '%s\n' "${COMPREPLY[@]}" | sort | tr '\n' ' ' | sed 's/ $//'
}
expect() {
  local got
  got=$(offered "$1")
  if [[ $got != "$2" ]]; then
    echo "'$1': offered '$got', not '$2'"
    failed=1
  fi
}

folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT
touch "$folder/shard1.json" "$folder/shard2.json"

expect "tobiuo-sim ba" "batch"
expect "tobiuo-sim --ver" "--version"
expect "tobiuo-sim help es" "estimate"
expect "tobiuo-sim batch --for" "--format"
expect "tobiuo-sim batch --format " "csv json partial text"
expect "tobiuo-sim merge --format j" "json"
expect "tobiuo-sim run --setting " "1 2 3 4 5 6"
expect "tobiuo-sim run --games " ""
expect "tobiuo-sim run --report $folder/sh" "$folder/shard1.json $folder/shard2.json"
expect "tobiuo-sim merge $folder/shard" "$folder/shard1.json $folder/shard2.json"

for command in run batch estimate merge; do
  all=" $(offered "tobiuo-sim $command --") "
  for option in $("$sim" help "$command" | grep -oE -- '--[a-z][a-z-]+' | sort -u); do
    if [[ $all != *" $option "* ]]; then
      echo "$command: $option is not offered"
      failed=1
    fi
  done
done
exit $failed
