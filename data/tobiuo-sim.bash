# SPDX-License-Identifier: GPL-3.0-or-later
# Bash completion for tobiuo-sim: the commands, each command's options, file names after the
# options that take a file (and for merge's partials), and the values of --format and --setting.

_tobiuo_sim() {
  local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]}
  local commands="run batch estimate value merge version help"
  local start="--games --rate --stock --setting-changed --quit --seed"
  if ((COMP_CWORD == 1)); then
    COMPREPLY=($(compgen -W "$commands --help --version" -- "$cur"))
    return
  fi
  local command=${COMP_WORDS[1]} options formats
  case $command in
    run)
      options="--setting $start --report --chart --format"
      formats="text json"
      ;;
    batch)
      options="--runs --first-run --batch-runs --threads --settings --format --bands --dry-run $start"
      formats="text json csv partial"
      ;;
    estimate)
      options="--games --pure-miss --big --reg --heaven --stock --setting-changed --prior --runs
               --seed --threads --format --cases --power --history --history-cases
               --setting-changed-unknown --watched-from"
      formats="text json"
      ;;
    value)
      options="--games --watched-from --pure-miss --stock --setting-changed --setting-changed-unknown
               --history --prior --rate --coins --games-left --more --sit-at --draws --seed --threads
               --format --cases"
      formats="text json csv"
      ;;
    merge)
      options="--format --bands"
      formats="text json csv partial"
      ;;
    help)
      ((COMP_CWORD == 2)) && COMPREPLY=($(compgen -W "$commands" -- "$cur"))
      return
      ;;
    *) return ;;
  esac
  case $prev in
    --report | --chart | --bands | --cases | --history | --history-cases)
      compopt -o filenames 2>/dev/null
      COMPREPLY=($(compgen -f -- "$cur"))
      return
      ;;
    --format)
      COMPREPLY=($(compgen -W "$formats" -- "$cur"))
      return
      ;;
    --setting)
      COMPREPLY=($(compgen -W "1 2 3 4 5 6" -- "$cur"))
      return
      ;;
    --settings | --games | --rate | --stock | --quit | --seed | --runs | --first-run | --batch-runs | --threads | \
      --pure-miss | --big | --reg | --heaven | --prior | --watched-from | --coins | --games-left | \
      --more | --sit-at | --draws)
      return  # a value to type
      ;;
  esac
  if [[ $command == merge && $cur != -* ]]; then
    compopt -o filenames 2>/dev/null
    COMPREPLY=($(compgen -f -- "$cur"))
  else
    COMPREPLY=($(compgen -W "$options --help" -- "$cur"))
  fi
}
complete -F _tobiuo_sim tobiuo-sim
