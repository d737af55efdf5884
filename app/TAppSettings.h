#pragma once

#include <QString>
#include <cstdint>
#include <optional>

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
