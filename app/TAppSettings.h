#pragma once

#include <QString>
#include <cstdint>
#include <optional>

class SettingsStore;

// What the settings dialog lets the operator choose, and the main window's
// smallest size: values stored outside them are brought inside at start-up.
namespace SettingRange {
inline constexpr int MinWidth = 754;
inline constexpr int MinHeight = 488;
inline constexpr int MinLength = 100;     // 0,1 km
inline constexpr int MaxLength = 999000;  // 999 km
inline constexpr int MaxWaitStart = 600000; // 600 s
inline constexpr int MaxAlg = 1;
inline constexpr int MaxFilterInd = 3;
} // namespace SettingRange

// The operator's settings while the program runs. Field names are the names
// of the stored values.
struct TAppSettings
{
    std::optional<int> Left;   // unset: the window system places the window
    std::optional<int> Top;
    int Width = SettingRange::MinWidth;
    int Height = SettingRange::MinHeight;
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
    // Live results on the course network, read and written after the
    // values above so their order stays as it was.
    bool LiveResults = false;
    int LivePort = 8080;
    QString LiveAddress = QStringLiteral("alle"); // "alle", "127.0.0.1" or one of the machine's addresses
    bool LiveQrSpectator = false; // the address's QR code in a corner of the spectator window
};

// Reads the stored values over the given settings in their fixed order. The
// first value that is missing or not of its type ends the reading: it and
// every later value keep what they held. Port keeps the low 8 bits only.
// Every value read is then kept within its range (WithinRanges); a value out
// of range is still a value read and does not end the reading.
TAppSettings LoadSettings(const SettingsStore& store, TAppSettings settings);

// The settings with every value inside what the settings dialog allows:
// numbers beyond a limit become that limit, a track length of 0 or less the
// dialog's 1,00 km, a file type outside 1..3 the text file, a negative
// monitor the first. The window is at least its smallest size; how large it
// may be depends on the screens (FitMainWindow). Port, Title and the
// switches are left as they are.
TAppSettings WithinRanges(TAppSettings settings);

// Writes every value in the store's order and types (booleans as 0 and 1,
// Title as text, the rest as integers). Unset Left and Top are written as 0.
// False when the store could not be written.
bool SaveSettings(SettingsStore& store, const TAppSettings& settings);
