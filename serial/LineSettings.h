#pragma once

#include "ComTypes.h"

#include <cstdint>

// Everything a device needs to configure the line, taken from TComPort's
// properties when the port is opened.
struct LineSettings
{
    std::int32_t bitRate = 9600;
    TParity parity = prNone;
    TStopBits stopBits = sbOneStopBit;
    std::uint8_t dataBits = 8;
    TFlowControl flowControl = fcNone;
    bool enableDtr = true;

    bool operator==(const LineSettings&) const = default;
};
