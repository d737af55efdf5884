#pragma once

#include "Clock.h"

#include <cstdint>

// One completed wait of the serial worker as its handlers see it: what
// happened, the lines as they stood right then, and when it happened.
struct LineEvent
{
    std::uint32_t events = 0;      // EV_ bits
    std::uint32_t modemStatus = 0; // MS_ bits read as the wait ended
    std::uint32_t returned = 0;    // MS_ bits of lines that moved and came back
    TimeStamp stamp;               // taken by the worker as the wait ended
    bool late = false;             // found by the watchdog, not by the wait
    std::uint64_t sequence = 0;    // counts the waits of one open port from 1
};
