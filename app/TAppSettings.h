#pragma once

#include <QString>
#include <cstdint>
#include <optional>

class SettingsStore;

// The operator's settings while the program runs. Field names are the names
// of the stored values.
struct TAppSettings
{
    std::optional<int> Left;   // unset: the window system places the window
    std::optional<int> Top;
    int Width = 754;
    int Height = 488;
    bool Sound = true;
    std::uint8_t Port = 0;     // 0: no light-barrier port
    int Alg = 0;               // 0 "Ein", 1 "Aus"
    int WaitStart = 0;         // STOPP lockout in ms
    int FilterInd = 1;
    int Length = 1000;         // track length in metres
    int Monitor = 0;           // screen of the spectator window
    QString Title = QStringLiteral("* * *");
    bool Runden = false;
    bool ManyStart = false;
};

// Reads the stored values over the given settings in their fixed order. The
// first value that is missing or not of its type ends the reading: it and
// every later value keep what they held. Port keeps the low 8 bits only.
TAppSettings LoadSettings(const SettingsStore& store, TAppSettings settings);

// Writes every value in the store's order and types (booleans as 0 and 1,
// Title as text, the rest as integers). Unset Left and Top are written as 0.
// False when the store could not be written.
bool SaveSettings(SettingsStore& store, const TAppSettings& settings);
