#pragma once

#include <QString>
#include <array>
#include <vector>

// One row of the protocol as plain texts: "Nr.", "Start", "Stopp", "Zeit",
// "km/h", "Platz". Files and exports work on these rows, never on the grid.
using ProtocolRow = std::array<QString, 6>;
using ProtocolRows = std::vector<ProtocolRow>;
