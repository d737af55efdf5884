#include "BarrierSimulator.h"
#include "FakeSerialDevice.h"

#include <QTemporaryDir>
#include <QTest>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

TEST(BarrierSimulator, CommandsFromThePipeDriveTheLines)
{
    QTemporaryDir dir;
    const QString fifo = dir.filePath("barriers");
    ASSERT_EQ(mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
    auto device = std::make_shared<FakeSerialDevice>();
    ASSERT_EQ(device->Open(1), 0); // the lines read as 0 while the port is closed
    QObject owner;
    BarrierSimulator simulator(fifo, device, &owner);
    ASSERT_TRUE(simulator.IsListening());

    const int writer = ::open(fifo.toLocal8Bit().constData(), O_WRONLY | O_NONBLOCK);
    ASSERT_GE(writer, 0);
    const char text[] = "DSR 1\ncts 1\n";
    ASSERT_EQ(::write(writer, text, sizeof text - 1), ssize_t(sizeof text - 1));
    ::close(writer);
    ASSERT_TRUE(QTest::qWaitFor([&] { return device->ModemStatus() == 0x30u; })) << "the pipe's commands arrive";

    EXPECT_TRUE(simulator.Apply("DSR 0"));
    EXPECT_EQ(device->ModemStatus(), 0x10u);
    EXPECT_TRUE(simulator.Apply("START"));
    EXPECT_EQ(device->ModemStatus(), 0x30u) << "a pulse raises the line at once";
    EXPECT_TRUE(QTest::qWaitFor([&] { return device->ModemStatus() == 0x10u; })) << "and drops it again";
    EXPECT_FALSE(simulator.Apply("DSR 2"));
    EXPECT_FALSE(simulator.Apply("GO"));
}

TEST(BarrierSimulator, AMissingPipeMeansNoSimulation)
{
    QObject owner;
    BarrierSimulator simulator("/nonexistent/barriers", std::make_shared<FakeSerialDevice>(), &owner);
    EXPECT_FALSE(simulator.IsListening());
}
