#pragma once

#include <QString>

#include <cstdint>
#include <string>

// The device path of port n: COM1-COM4 are /dev/ttyS0-3, COM5-COM12 are
// /dev/ttyUSB0-7, COM13-COM16 are /dev/ttyACM0-3. A non-empty environment
// variable RAVOLT_COM<n> replaces the path of port n (other adapters, tests).
// Ports without a path give the empty string, which opens nothing.
std::string SerialPortPath(std::uint8_t port);

// The name the operator knows port n by: "COM5".
QString PortDisplayName(int port);
