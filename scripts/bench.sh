#!/usr/bin/env bash
# Sets up, builds and runs every benchmark in bench/, printing their figures.
# With --smoke (as in CI) each runs once, briefly: that shows a broken
# benchmark, its figures mean nothing.
set -euo pipefail
cd "$(dirname "$0")/.."
harness_args=()
if [ "${1:-}" = "--smoke" ]; then
    export RAVOLT_BENCH_SMOKE=1
    harness_args=(--benchmark_min_time=0.001)
fi
scripts/setup.sh
export QT_QPA_PLATFORM=offscreen
for b in build/bench/bench_*; do
    # Only programs: the *_autogen folders beside them match the pattern too.
    [ -f "$b" ] && [ -x "$b" ] || continue
    echo "== $(basename "$b")"
    if grep -q -a 'benchmark_min_time' "$b"; then
        "$b" "${harness_args[@]}"
    else
        "$b"
    fi
done
