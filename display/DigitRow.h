#pragma once

#include "TDigit.h"

#include <QLabel>
#include <array>

// The six digits and two separators of one time display: minutes tens and
// units, "." (LabMin), seconds tens and units, "," (LabSec), hundredths tens
// and units. A lane writes its own row and, when the spectator window
// exists, the mirror row that the window owns.
struct DigitRow
{
    std::array<TDigit*, 6> digits{};
    QLabel* labMin = nullptr;
    QLabel* labSec = nullptr;
};
