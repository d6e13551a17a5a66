#!/usr/bin/env bash
# Runs template_sequence over every page of every fetched template
# (fetch.sh --list) with several seeds and prints a table: template, page,
# seeds, steps, result. A failing run's report is kept in the log folder.
#   bench/templates/run.sh [--seeds N] [--steps N] [--parallel N] [--no-typing] [--build DIR]
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
seeds=5
steps=60
parallel=2
extra=()
build=$root/build
while [ $# -gt 0 ]; do
    case $1 in
    --seeds) seeds=$2; shift 2 ;;
    --steps) steps=$2; shift 2 ;;
    --parallel) parallel=$2; shift 2 ;;
    --no-typing) extra+=(--no-typing); shift ;;
    --build) build=$2; shift 2 ;;
    *) echo "usage: run.sh [--seeds N] [--steps N] [--parallel N] [--no-typing] [--build DIR]" >&2; exit 2 ;;
    esac
done
# At most three at once: each runs the whole program and a browser.
((parallel < 1)) && parallel=1
((parallel > 3)) && parallel=3
program=$build/bench/templates/template_sequence
[ -x "$program" ] || { echo "run.sh: no $program (build with QUILLMARK_BENCH=ON)" >&2; exit 2; }
logs=$(mktemp -d "${TMPDIR:-/tmp}/template-runs.XXXXXX")

# One run: its log, then "template page seed result" on stdout.
one() {
    local name=$1 page=$2 seed=$3
    local log="$logs/$name-${page//\//_}-$seed.log"
    if QT_QPA_PLATFORM=offscreen timeout 1800 "$program" "$here/data/$name" "$page" --seed "$seed" --steps "$steps" "${extra[@]}" >"$log" 2>&1; then
        echo "$name $page $seed ok"
    else
        echo "$name $page $seed failed"
    fi
}
export -f one
export here program steps logs
export extra_args="${extra[*]:-}"

jobs_file=$logs/jobs
"$here/fetch.sh" --list | while read -r name page; do
    for ((seed = 1; seed <= seeds; ++seed)); do echo "$name $page $seed"; done
done >"$jobs_file"

results=$logs/results
# shellcheck disable=SC2016
xargs -P "$parallel" -L 1 bash -c 'extra=($extra_args); one "$@"' _ <"$jobs_file" >"$results"

printf '%-20s %-28s %5s %5s  %s\n' template page seeds steps result
status=0
"$here/fetch.sh" --list | while read -r name page; do
    failed=$(awk -v n="$name" -v p="$page" '$1 == n && $2 == p && $4 == "failed" { printf "%s%s", sep, $3; sep = "," }' "$results")
    if [ -z "$failed" ]; then result=ok; else result="failed (seeds $failed)"; fi
    printf '%-20s %-28s %5s %5s  %s\n' "$name" "$page" "$seeds" "$steps" "$result"
done
grep -q ' failed$' "$results" && status=1
echo "logs: $logs"
exit $status
