#!/usr/bin/env bash
# run.sh <prefix-dir> <lumbra_bench.exe> [name ...]: runs the benchmarks through Wine in their
# own prefix. The program writes into a file that is followed here: Wine's desktop process
# outlives the program and would hold a pipe of the caller's open for a minute or more.
set -euo pipefail
source "$(dirname "$0")/../cmake/wine-env.sh"
prefix=$1
exe=$2
shift 2
lumbra_ensure_display "$(realpath -m "$prefix").x" >/dev/null
lumbra_ensure_prefix "$prefix"
lumbra_env "$prefix"
lumbra_warm_session
out=$(mktemp)
trap 'rm -f "$out"' EXIT
wine "$exe" "$@" >"$out" 2>&1 </dev/null &
pid=$!
tail --pid="$pid" -n +1 -f "$out"
wait "$pid"
