#!/usr/bin/env bash
# Sets up, builds and runs every benchmark in bench/, printing their figures.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
export QT_QPA_PLATFORM=offscreen
for b in build/bench/bench_*; do
    # Only programs: the *_autogen folders beside them match the pattern too.
    [ -f "$b" ] && [ -x "$b" ] || continue
    echo "== $(basename "$b")"
    "$b"
done
