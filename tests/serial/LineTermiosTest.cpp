#include "LineTermios.h"

#include <gtest/gtest.h>

#include <termios.h>

#include <cerrno>

namespace {

LineTermios Make(LineSettings s)
{
    LineTermios t;
    EXPECT_EQ(MakeLineTermios(s, t), 0);
    return t;
}

LineSettings WithRate(std::int32_t bitRate)
{
    LineSettings s;
    s.bitRate = bitRate;
    return s;
}

} // namespace

TEST(LineTermios, EveryNamedSpeedIsSetStandardOnesByTheirCode)
{
    const std::pair<TBaudRate, unsigned> standard[] = {
        {br110, B110},     {br300, B300},     {br600, B600},       {br1200, B1200},
        {br2400, B2400},   {br4800, B4800},   {br9600, B9600},     {br19200, B19200},
        {br38400, B38400}, {br57600, B57600}, {br115200, B115200},
    };
    for (auto [rate, code] : standard) {
        const LineTermios t = Make(WithRate(BitRate(rate, 0)));
        EXPECT_EQ(t.cflag & CBAUD, code) << "rate " << BitRate(rate, 0);
        EXPECT_EQ(t.speed, unsigned(BitRate(rate, 0)));
    }
    // Speeds without a code are given as a number (BOTHER).
    for (TBaudRate rate : {br14400, br56000, br128000, br256000}) {
        const LineTermios t = Make(WithRate(BitRate(rate, 0)));
        EXPECT_EQ(t.cflag & CBAUD, unsigned(CBAUDEX)) << "rate " << BitRate(rate, 0);
        EXPECT_EQ(t.speed, unsigned(BitRate(rate, 0)));
    }
    EXPECT_EQ(BitRate(br14400, 0), 14400);
    EXPECT_EQ(BitRate(br56000, 0), 56000);
    EXPECT_EQ(BitRate(br128000, 0), 128000);
    EXPECT_EQ(BitRate(br256000, 0), 256000);
    EXPECT_EQ(BitRate(brUser, 28800), 28800);
}

TEST(LineTermios, AUserSpeedBelowOneIsRefused)
{
    LineTermios t;
    EXPECT_EQ(MakeLineTermios(WithRate(0), t), EINVAL);
    EXPECT_EQ(MakeLineTermios(WithRate(-9600), t), EINVAL);
}

TEST(LineTermios, ParityKindsAndNoInputParityCheck)
{
    const std::pair<TParity, unsigned> cases[] = {
        {prNone, 0u},
        {prOdd, unsigned(PARENB | PARODD)},
        {prEven, unsigned(PARENB)},
        {prMark, unsigned(PARENB | CMSPAR | PARODD)},
        {prSpace, unsigned(PARENB | CMSPAR)},
    };
    for (auto [parity, flags] : cases) {
        LineSettings s;
        s.parity = parity;
        const LineTermios t = Make(s);
        EXPECT_EQ(t.cflag & (PARENB | PARODD | CMSPAR), flags) << "parity " << int(parity);
        EXPECT_EQ(t.iflag & (INPCK | IGNPAR | PARMRK), 0u);
    }
}

TEST(LineTermios, DataBitsAndStopBitsThatALineCanCarry)
{
    const std::pair<int, unsigned> sizes[] = {{5, CS5}, {6, CS6}, {7, CS7}, {8, CS8}};
    for (auto [bits, size] : sizes) {
        LineSettings s;
        s.dataBits = std::uint8_t(bits);
        EXPECT_EQ(Make(s).cflag & CSIZE, size);
        EXPECT_FALSE(Make(s).cflag & CSTOPB);
    }
    LineSettings s;
    s.stopBits = sbTwoStopBits;
    EXPECT_TRUE(Make(s).cflag & CSTOPB);
    s.dataBits = 5;
    s.stopBits = sbOne5StopBits;
    EXPECT_TRUE(Make(s).cflag & CSTOPB) << "a UART sends 1.5 stop bits for 5-bit characters";

    LineTermios t;
    s.stopBits = sbTwoStopBits;
    EXPECT_EQ(MakeLineTermios(s, t), EINVAL) << "5 data bits cannot have 2 stop bits";
    s.dataBits = 8;
    s.stopBits = sbOne5StopBits;
    EXPECT_EQ(MakeLineTermios(s, t), EINVAL) << "8 data bits cannot have 1.5 stop bits";
}

TEST(LineTermios, FlowControlKinds)
{
    LineSettings s;
    s.flowControl = fcNone;
    LineTermios t = Make(s);
    EXPECT_FALSE(t.cflag & CRTSCTS);
    EXPECT_EQ(t.iflag & (IXON | IXOFF), 0u);
    s.flowControl = fcRtsCts;
    t = Make(s);
    EXPECT_TRUE(t.cflag & CRTSCTS);
    EXPECT_EQ(t.iflag & (IXON | IXOFF), 0u);
    s.flowControl = fcXonXoff;
    t = Make(s);
    EXPECT_FALSE(t.cflag & CRTSCTS);
    EXPECT_EQ(t.iflag & (IXON | IXOFF), unsigned(IXON | IXOFF));
    EXPECT_EQ(t.vstart, 17);
    EXPECT_EQ(t.vstop, 19);
}

TEST(LineTermios, TheLineIsRawLocalAndDropsItsOutputsOnClose)
{
    const LineTermios t = Make(LineSettings{});
    EXPECT_EQ(t.cflag & (CREAD | CLOCAL | HUPCL), unsigned(CREAD | CLOCAL | HUPCL));
    EXPECT_EQ(t.lflag, 0u);
    EXPECT_EQ(t.oflag, 0u);
    EXPECT_EQ(t.iflag, 0u);
    EXPECT_EQ(t.vmin, 0);
    EXPECT_EQ(t.vtime, 0);
}
