#pragma once

#include <QColor>
#include <cstdint>

// A colour as the design states it: 0x00BBGGRR, red in the low byte.
// System colours carry the high bit and are resolved through the palette.
using TColor = std::uint32_t;

inline constexpr TColor clBlack = 0x000000;
inline constexpr TColor clYellow = 0x00FFFF;
inline constexpr TColor clDarkGrey = 0x404040;
inline constexpr TColor clLime = 0x00FF00;
inline constexpr TColor clRed = 0x0000FF;
inline constexpr TColor clGreen = 0x008000;
inline constexpr TColor clWhite = 0xFFFFFF;
inline constexpr TColor clGray = 0x808080;
inline constexpr TColor clOlive = 0x008080;
inline constexpr TColor clSilver = 0xC0C0C0;
inline constexpr TColor clBtnFace = 0x8000000F;
inline constexpr TColor clBtnShadow = 0x80000010;
inline constexpr TColor clNone = 0x1FFFFFFF;

// The colour as Qt draws it; system colours come from the application palette.
QColor ToQColor(TColor color);
