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

// A "." or "," separator of a time display: bold serif 48 pt, drawn from its
// top-left corner, in the given colour. Lane frames and the spectator window
// make theirs alike, so the window's copy scales the frame's faithfully.
QLabel* NewSeparatorLabel(QWidget* parent, const char* name, const QString& text, TColor color);

// A label's text colour. The setter touches the palette only on a change,
// since the running display sets it every 10 ms.
void SetLabelColor(QLabel* label, TColor color);
TColor LabelColor(const QLabel* label);
