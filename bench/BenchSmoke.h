#pragma once

#include <QtGlobal>

// A smoke run (scripts/bench.sh --smoke, as in CI) only shows that a
// benchmark still builds and runs; its figures mean nothing. Each harness
// then measures a handful of events instead of thousands.
inline bool BenchSmoke()
{
    return qEnvironmentVariableIsSet("RAVOLT_BENCH_SMOKE");
}

inline int BenchCount(int full, int smoke)
{
    return BenchSmoke() ? smoke : full;
}

// Repetitions of a Google Benchmark run: one in a smoke run.
inline int BenchRepetitions(int full)
{
    return BenchCount(full, 1);
}
