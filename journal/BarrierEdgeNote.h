#pragma once

#include "Clock.h"

#include <cstdint>

// What became of one evaluated barrier edge.
enum class BarrierOutcome {
    Accepted,    // the command was given and ran
    Unavailable, // the command was given but is disabled (no lane free or running)
    LockedOut,   // inside the START or STOPP lockout
    Blocked,     // the STOPP barrier lock is blocked
    NotByAlg,    // the evaluation rule Alg asks for nothing
    Unchanged,   // the same status as the previous report
};
enum class BarrierCommand { None, Start, Stop };

// One evaluated edge, for whoever keeps a record of the barriers.
struct BarrierEdgeNote
{
    TimeStamp stamp;
    std::uint32_t status = 0; // the modem-status word evaluated
    bool late = false;        // the serial watchdog found the change
    BarrierCommand command = BarrierCommand::None;
    BarrierOutcome outcome = BarrierOutcome::Unchanged;
};
