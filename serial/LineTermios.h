#pragma once

#include "LineSettings.h"

#include <cstdint>

// The terminal settings of a line, in the kernel's flag values. Built from
// zero for every open, so nothing a previous user of the device left behind
// survives.
struct LineTermios
{
    std::uint32_t iflag = 0;
    std::uint32_t oflag = 0;
    std::uint32_t cflag = 0; // includes the speed code, BOTHER for other speeds
    std::uint32_t lflag = 0;
    std::uint8_t vstart = 0;
    std::uint8_t vstop = 0;
    std::uint8_t vmin = 0;
    std::uint8_t vtime = 0;
    std::uint32_t speed = 0; // bits per second
};

// Fills `out` and returns 0, or returns EINVAL for settings no line can carry:
// a speed below 1, 1.5 stop bits with more than 5 data bits, 2 stop bits with
// 5 data bits.
int MakeLineTermios(const LineSettings& settings, LineTermios& out);
