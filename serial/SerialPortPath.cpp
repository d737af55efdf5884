#include "SerialPortPath.h"

#include <cstdlib>

QString PortDisplayName(int port)
{
    return QStringLiteral("COM%1").arg(port);
}

std::string SerialPortPath(std::uint8_t port)
{
    const std::string variable = "RAVOLT_COM" + std::to_string(port);
    if (const char* path = std::getenv(variable.c_str()); path && *path)
        return path;
    if (port >= 1 && port <= 4)
        return "/dev/ttyS" + std::to_string(port - 1);
    if (port >= 5 && port <= 12)
        return "/dev/ttyUSB" + std::to_string(port - 5);
    if (port >= 13 && port <= 16)
        return "/dev/ttyACM" + std::to_string(port - 13);
    return {};
}
