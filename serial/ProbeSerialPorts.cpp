#include "ProbeSerialPorts.h"

#include "ModemLineIo.h"
#include "PosixSerialDevice.h"
#include "SerialPortPath.h"

#include <algorithm>
#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

std::uint32_t ProbeSerialPorts()
{
    const std::shared_ptr<ModemLineIo> io = ModemLineIo::Kernel();
    return ProbeSerialPorts([&io](std::uint8_t port) {
        const std::string path = SerialPortPath(port);
        return !path.empty() && PosixSerialDevice::IsSerialLine(path, *io);
    });
}

std::uint32_t ProbeSerialPorts(const std::function<bool(std::uint8_t port)>& isSerialLine)
{
    std::uint32_t result = 0;
    for (std::uint32_t n = 1; n <= 16; ++n)
        if (isSerialLine(std::uint8_t(n)))
            result = (1u << (n - 1)) | (result & 0xFFFF) | (n << 16);
    return result;
}

std::uint32_t DeniedSerialPorts()
{
    return DeniedSerialPorts([](std::uint8_t port) {
        const std::string path = SerialPortPath(port);
        struct stat st {};
        return !path.empty() && ::stat(path.c_str(), &st) == 0 && ::access(path.c_str(), R_OK | W_OK) != 0 &&
               (errno == EACCES || errno == EPERM);
    });
}

std::uint32_t DeniedSerialPorts(const std::function<bool(std::uint8_t port)>& denied)
{
    std::uint32_t result = 0;
    for (std::uint32_t n = 1; n <= 16; ++n)
        if (denied(std::uint8_t(n)))
            result |= 1u << (n - 1);
    return result;
}

std::uint32_t AddAvailablePort(std::uint32_t available, std::uint8_t port)
{
    if (port < 1 || port > 16)
        return available;
    const std::uint32_t highest = std::max<std::uint32_t>(available >> 16, port);
    return (1u << (port - 1)) | (available & 0xFFFF) | (highest << 16);
}
