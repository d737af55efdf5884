#include "PosixSerialDevice.h"
#include "ProbeSerialPorts.h"
#include "ScriptedModemLines.h"
#include "SerialPortPath.h"
#include "SerialTestSupport.h"

#include <QTemporaryDir>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <memory>
#include <vector>

using ::testing::ElementsAre;

TEST(SerialPortPath, PortNumbersMapToDevicePaths)
{
    EXPECT_EQ(SerialPortPath(1), "/dev/ttyS0");
    EXPECT_EQ(SerialPortPath(4), "/dev/ttyS3");
    EXPECT_EQ(SerialPortPath(5), "/dev/ttyUSB0");
    EXPECT_EQ(SerialPortPath(12), "/dev/ttyUSB7");
    EXPECT_EQ(SerialPortPath(13), "/dev/ttyACM0");
    EXPECT_EQ(SerialPortPath(16), "/dev/ttyACM3");
    EXPECT_EQ(SerialPortPath(0), "");
    EXPECT_EQ(SerialPortPath(17), "");
    {
        ScopedPortPath adapter(12, "/dev/serial/by-id/usb-barrier");
        EXPECT_EQ(SerialPortPath(12), "/dev/serial/by-id/usb-barrier");
        EXPECT_EQ(SerialPortPath(1), "/dev/ttyS0");
    }
    {
        ScopedPortPath extra(20, "/dev/ttyS5");
        EXPECT_EQ(SerialPortPath(20), "/dev/ttyS5");
    }
    ScopedPortPath empty(3, "");
    EXPECT_EQ(SerialPortPath(3), "/dev/ttyS2") << "an empty override is no override";
}

TEST(ProbeSerialPorts, MarksFoundPortsAndKeepsTheHighestInTheUpperHalf)
{
    std::vector<int> asked;
    const auto found = [&asked](std::initializer_list<int> ports) {
        return [&asked, ports](std::uint8_t n) {
            asked.push_back(n);
            return std::find(ports.begin(), ports.end(), n) != ports.end();
        };
    };
    EXPECT_EQ(ProbeSerialPorts(found({})), 0u);
    EXPECT_EQ(asked.size(), 16u);
    EXPECT_EQ(asked.front(), 1);
    EXPECT_EQ(asked.back(), 16);
    EXPECT_EQ(ProbeSerialPorts(found({1})), 0x00010001u);
    EXPECT_EQ(ProbeSerialPorts(found({3, 12})), (12u << 16) | (1u << 11) | (1u << 2));
    EXPECT_EQ(ProbeSerialPorts(found({16})), 0x00108000u);
    EXPECT_EQ(ProbeSerialPorts(found({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16})),
              0x0010FFFFu);
}

TEST(ProbeSerialPorts, CountsOnlyFreeSerialLines)
{
    QTemporaryDir dir;
    PseudoTerminal pty;
    const std::string file = dir.filePath("plain").toStdString();
    ASSERT_EQ(::close(::creat(file.c_str(), 0600)), 0);
    ScriptedModemLines withLines(true, true);
    auto kernel = ModemLineIo::Kernel();

    EXPECT_TRUE(PosixSerialDevice::IsSerialLine(pty.SlavePath(), withLines));
    EXPECT_FALSE(PosixSerialDevice::IsSerialLine(pty.SlavePath(), *kernel))
        << "a pseudo-terminal has no modem lines";
    EXPECT_FALSE(PosixSerialDevice::IsSerialLine(file, withLines)) << "not a character device";
    EXPECT_FALSE(PosixSerialDevice::IsSerialLine("/dev/null", withLines)) << "not a terminal";
    EXPECT_FALSE(PosixSerialDevice::IsSerialLine(dir.filePath("gone").toStdString(), withLines));
    EXPECT_FALSE(IsExclusive(pty.Slave())) << "the probe never sets the exclusive flag";

    const int holder = ::open(pty.SlavePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_EQ(::flock(holder, LOCK_EX | LOCK_NB), 0);
    EXPECT_FALSE(PosixSerialDevice::IsSerialLine(pty.SlavePath(), withLines)) << "held by another";
    ::close(holder);
}

TEST(ProbeSerialPorts, FindsNothingWhereNoPortIsASerialLine)
{
    QTemporaryDir dir;
    PseudoTerminal pty;
    std::vector<std::unique_ptr<ScopedPortPath>> paths;
    for (int n = 1; n <= 16; ++n)
        paths.push_back(std::make_unique<ScopedPortPath>(n, dir.filePath(QString("tty%1").arg(n)).toStdString()));
    paths.push_back(std::make_unique<ScopedPortPath>(2, pty.SlavePath()));
    paths.push_back(std::make_unique<ScopedPortPath>(3, "/dev/null"));
    EXPECT_EQ(ProbeSerialPorts(), 0u);
}
