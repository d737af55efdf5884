#pragma once

#include "ModemLineIo.h"

#include <cerrno>
#include <poll.h>

// The modem lines of a driver that has TIOCMIWAIT, on a quiet barrier line:
// the wait sleeps until a signal cancels it, as the real one does.
class QuietLines final : public ModemLineIo
{
public:
    int GetLines(int, int& lines) override
    {
        lines = 0;
        return 0;
    }
    int SetLines(int, int, bool) override { return 0; }
    int GetCounters(int, LineCounters& counters) override
    {
        counters = {};
        return 0;
    }
    int WaitLines(int, int) override { return ::poll(nullptr, 0, -1) < 0 ? errno : 0; }
};
