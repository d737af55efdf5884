#pragma once

#include "EventTypes.h"

// Entries and runs written the short way the tables need.

inline Entry Driver(int number, const QString& className, int order = 0, const QString& team = QString())
{
    Entry e;
    e.number = number;
    e.name = QStringLiteral("Fahrer%1").arg(number);
    e.className = className;
    e.order = order ? order : number;
    e.team = team;
    return e;
}

inline RunRecord Timed(int number, int index, std::int32_t ms, int cones = 0, int skipped = 0,
                     RunStatus status = RunStatus::Valid, const QString& reason = QString(),
                     RunKind kind = RunKind::Scored, bool replaced = false)
{
    static std::int64_t nextId = 1;
    RunRecord r;
    r.id = nextId++;
    r.number = number;
    r.index = index;
    r.runTimeMs = ms;
    r.cones = cones;
    r.skippedTasks = skipped;
    r.status = status;
    r.reason = reason;
    r.kind = kind;
    r.replaced = replaced;
    return r;
}
