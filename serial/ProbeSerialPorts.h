#pragma once

#include <cstdint>
#include <functional>

// Looks for serial lines on ports 1 to 16. Bit n-1 of the result marks port
// n as found; the upper 16 bits hold the highest port found (0 for none).
// Ports held by another program are not found.
std::uint32_t ProbeSerialPorts();

// The same with another test of whether port n is a usable serial line.
std::uint32_t ProbeSerialPorts(const std::function<bool(std::uint8_t port)>& isSerialLine);

// The ports 1 to 16 whose device is there but may not be opened by this
// user (bit n-1 for port n): the probe cannot find them.
std::uint32_t DeniedSerialPorts();
std::uint32_t DeniedSerialPorts(const std::function<bool(std::uint8_t port)>& denied);

// available with port n (1..16) marked as found, in the same form.
std::uint32_t AddAvailablePort(std::uint32_t available, std::uint8_t port);
