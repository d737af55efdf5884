#include "EComHandle.h"
#include "EComState.h"
#include "FakeClock.h"
#include "FakeSerialDevice.h"
#include "SerialTestSupport.h"
#include "TComPort.h"
#include "TComThread.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

using namespace std::chrono_literals;
using ::testing::ElementsAre;

namespace {

// A port on a fake device that writes every handler call into a log.
struct FakePortRig
{
    std::shared_ptr<FakeSerialDevice> device = std::make_shared<FakeSerialDevice>();
    // Before the port: destroying the port fires OnClose into the log.
    std::vector<std::string> log;
    TComPort port{nullptr};

    FakePortRig()
    {
        port.SetDeviceFactory([d = device] { return d; });
        port.OnRxChar = [this](TComPort*, std::int32_t inQue) { log.push_back("rx " + std::to_string(inQue)); };
        port.OnTxEmpty = Logger("txempty");
        port.OnBreak = Logger("break");
        port.OnRing = Logger("ring");
        port.OnCTS = LineLogger("cts");
        port.OnDSR = LineLogger("dsr");
        port.OnRxFlag = Logger("rxflag");
        port.OnRLSD = Logger("rlsd");
        port.OnError = Logger("error");
        port.OnOpen = Logger("open");
        port.OnClose = Logger("close");
        port.OnGone = Logger("gone");
    }

    TComPort::TNotifyEvent Logger(std::string name)
    {
        return [this, name](TComPort* sender) {
            EXPECT_EQ(sender, &port);
            log.push_back(name);
        };
    }
    TComPort::TLineEvent LineLogger(std::string name)
    {
        const TComPort::TNotifyEvent logger = Logger(std::move(name));
        return [logger](TComPort* sender, const LineEvent&) { logger(sender); };
    }

    // Lets the worker reach its next wait, so an event raised now is the
    // only one that wait reports.
    void WaitUntilIdle()
    {
        ASSERT_TRUE(device->WaitUntilWaiting(5s));
    }
};

// Waits for a condition that worker threads bring about, without running
// the event loop (so queued hand-overs and notices stay undelivered).
template <typename Condition>
bool WithoutEventLoop(Condition condition)
{
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::yield();
    }
    return true;
}

} // namespace

// A port touches no device until it is opened, and opened untouched it
// configures 9600 8N1, DTR on, no flow control, every event watched.
TEST(TComPort, UntouchedItMakesNoDeviceAndOpensWithTheDefaultLine)
{
    int devicesMade = 0;
    auto device = std::make_shared<FakeSerialDevice>();
    device->SetModemStatus(0x30);
    TComPort port(nullptr);
    port.SetDeviceFactory([&] {
        ++devicesMade;
        return device;
    });
    EXPECT_FALSE(port.Connected());
    EXPECT_EQ(port.ModemStatus(), 0u) << "closed, no line is read";
    EXPECT_EQ(port.InQueCount(), 0);
    EXPECT_EQ(devicesMade, 0);

    port.Open();
    EXPECT_EQ(devicesMade, 1);
    EXPECT_EQ(device->OpenedPort(), 1);
    EXPECT_EQ(device->Settings(), LineSettings{});
    EXPECT_EQ(device->EventMask(), EventMask(TEvents::All()));
    EXPECT_EQ(port.ModemStatus(), 0x30u);
    port.Close();
    EXPECT_EQ(port.ModemStatus(), 0u);
}

TEST(TComPort, DataBitsAreKeptWithinFiveToEight)
{
    TComPort port(nullptr);
    const std::pair<int, int> cases[] = {{9, 8}, {255, 8}, {4, 5}, {0, 5}, {5, 5}, {6, 6}, {7, 7}, {8, 8}};
    for (auto [given, stored] : cases) {
        port.SetDataBits(std::uint8_t(given));
        EXPECT_EQ(port.DataBits(), stored) << "given " << given;
    }
}

TEST(TComPort, EventMaskUsesThePlatformBitValues)
{
    EXPECT_EQ(EventMask({evRxChar}), 0x0001u);
    EXPECT_EQ(EventMask({evRxFlag}), 0x0002u);
    EXPECT_EQ(EventMask({evTxEmpty}), 0x0004u);
    EXPECT_EQ(EventMask({evCTS}), 0x0008u);
    EXPECT_EQ(EventMask({evDSR}), 0x0010u);
    EXPECT_EQ(EventMask({evRLSD}), 0x0020u);
    EXPECT_EQ(EventMask({evBreak}), 0x0040u);
    EXPECT_EQ(EventMask({evError}), 0x0080u);
    EXPECT_EQ(EventMask({evRing}), 0x0100u);
    EXPECT_EQ(EventMask(TEvents::All()), 0x01FFu);
    EXPECT_EQ(EventMask({}), 0u);
}

TEST(TComPort, OpenConfiguresTheDeviceFromTheProperties)
{
    FakePortRig rig;
    // The main window's light-barrier port.
    rig.port.SetPort(12);
    rig.port.SetFlowControl(fcRtsCts);
    rig.port.SetDataBits(5);
    rig.port.SetEvents({evCTS, evDSR});
    rig.port.SetWriteBufSize(64);
    rig.port.SetReadBufSize(64);
    rig.port.Open();

    EXPECT_EQ(rig.device->OpenedPort(), 12);
    EXPECT_EQ(rig.device->EventMask(), EV_CTS | EV_DSR);
    LineSettings expected;
    expected.bitRate = 9600;
    expected.dataBits = 5;
    expected.flowControl = fcRtsCts;
    EXPECT_EQ(rig.device->Settings(), expected);

    // Changes while open wait for the next Open.
    rig.port.SetBaudRate(brUser);
    rig.port.SetBaudRateUser(31250);
    rig.port.SetWriteBufSize(-7);
    rig.port.SetEnableDTR(false);
    rig.port.SetParity(prMark);
    rig.port.SetStopBits(sbOne5StopBits);
    EXPECT_EQ(rig.device->Settings(), expected);
    rig.port.Open();
    const LineSettings reopened = rig.device->Settings();
    EXPECT_EQ(reopened.bitRate, 31250);
    EXPECT_FALSE(reopened.enableDtr);
    EXPECT_EQ(reopened.parity, prMark);
    EXPECT_EQ(reopened.stopBits, sbOne5StopBits);
}

TEST(TComPort, OpenAndCloseFireTheirEventsOnce)
{
    FakePortRig rig;
    rig.port.Close();
    EXPECT_TRUE(rig.log.empty()) << "closing a closed port fires nothing";

    rig.port.OnOpen = [&](TComPort* p) {
        EXPECT_TRUE(p->Connected());
        EXPECT_NE(p->Worker(), nullptr);
        rig.log.push_back("open");
    };
    rig.port.OnClose = [&](TComPort* p) {
        EXPECT_FALSE(p->Connected());
        EXPECT_EQ(p->Worker(), nullptr);
        EXPECT_FALSE(rig.device->IsOpen()) << "the device is closed before OnClose";
        rig.log.push_back("close");
    };
    rig.port.Open();
    EXPECT_TRUE(rig.device->IsOpen());
    rig.port.Close();
    rig.port.Close();
    EXPECT_THAT(rig.log, ElementsAre("open", "close"));
    EXPECT_EQ(rig.device->PurgeCount(), 1) << "the worker purges the input when it ends";
}

TEST(TComPort, OpenOnAnOpenPortClosesItFirstAndKeepsOneWorker)
{
    FakePortRig rig;
    rig.port.Open();
    rig.WaitUntilIdle();
    rig.port.Open();
    EXPECT_THAT(rig.log, ElementsAre("open", "close", "open"));
    EXPECT_EQ(rig.port.findChildren<TComThread*>().size(), 1);
    EXPECT_EQ(rig.device->OpenCount(), 2);

    rig.WaitUntilIdle();
    rig.device->SetModemStatus(MS_CTS_ON);
    ASSERT_EVENTUALLY(rig.log.size() == 4u);
    EXPECT_EQ(rig.log.back(), "cts");
    EXPECT_EQ(rig.device->MostWaitsAtOnce(), 1);
}

TEST(TComPort, HandlersOfOneWaitRunInTheFixedOrderInOneHandOver)
{
    FakePortRig rig;
    std::vector<int> waitsSeen;
    rig.port.OnCTS = [&](TComPort*, const LineEvent&) {
        waitsSeen.push_back(rig.device->WaitsStarted());
        rig.log.push_back("cts");
    };
    rig.port.OnDSR = [&](TComPort*, const LineEvent&) {
        waitsSeen.push_back(rig.device->WaitsStarted());
        rig.log.push_back("dsr");
    };
    rig.port.Open();
    rig.log.clear();
    rig.WaitUntilIdle();
    // One raise, so that one wait reports all nine.
    rig.device->RaiseEvents(0x01FF);
    ASSERT_EVENTUALLY(rig.log.size() == 9u);
    EXPECT_THAT(rig.log, ElementsAre("rx 0", "txempty", "break", "ring", "cts", "dsr", "rxflag",
                                     "rlsd", "error"));
    ASSERT_EQ(waitsSeen.size(), 2u);
    EXPECT_EQ(waitsSeen[0], waitsSeen[1]) << "no new wait between OnCTS and OnDSR";
}

TEST(TComPort, UnsetHandlersAndUnwatchedEventsAreSkipped)
{
    FakePortRig rig;
    rig.port.SetEvents({evCTS, evRing});
    rig.port.OnRing = nullptr;
    rig.port.Open();
    rig.log.clear();
    rig.WaitUntilIdle();
    rig.device->SetModemStatus(MS_DSR_ON | MS_RING_ON | MS_CTS_ON);
    ASSERT_EVENTUALLY(rig.log.size() == 1u);
    rig.WaitUntilIdle();
    QCoreApplication::processEvents();
    EXPECT_THAT(rig.log, ElementsAre("cts"));
}

TEST(TComPort, RxCharGetsTheNumberOfQueuedBytes)
{
    FakePortRig rig;
    rig.port.SetEvents({evRxChar});
    rig.port.Open();
    rig.WaitUntilIdle();
    rig.device->Receive(5);
    ASSERT_EVENTUALLY(rig.log.size() == 2u);
    EXPECT_EQ(rig.log.back(), "rx 5");
    rig.WaitUntilIdle();
    rig.device->Receive(2);
    ASSERT_EVENTUALLY(rig.log.size() == 3u);
    EXPECT_EQ(rig.log.back(), "rx 7");
}

TEST(TComPort, TheWorkerKeepsWaitingWhileTheUiIsBusyAndEachWaitKeepsItsStampAndLines)
{
    // The clock outlives the port: its worker may stamp once more before Close.
    FakeClock clock;
    FakePortRig rig;
    rig.port.SetClock(clock);
    struct Seen
    {
        std::uint32_t tick, status, returned;
        std::uint64_t sequence;
        bool operator==(const Seen&) const = default;
    };
    std::vector<Seen> seen;
    rig.port.OnCTS = [&](TComPort*, const LineEvent& e) {
        seen.push_back({e.stamp.tick, e.modemStatus, e.returned, e.sequence});
    };
    rig.port.Open();
    // The user interface serves nothing meanwhile: a bouncing finish barrier
    // (on, off, on) and a pulse too short to read, each at its own time.
    const std::vector<Seen> script = {
        {2000, MS_CTS_ON, 0, 1}, {2001, 0, 0, 2}, {2003, MS_CTS_ON, 0, 3}, {2010, MS_CTS_ON, MS_CTS_ON, 4}};
    for (const Seen& step : script) {
        rig.WaitUntilIdle();
        clock.tick = step.tick;
        if (step.returned)
            rig.device->PulseLines(step.returned);
        else
            rig.device->SetModemStatus(step.status);
    }
    ASSERT_TRUE(rig.port.Worker()->WaitForHandOver(5s, script.size()));
    clock.Advance(50); // served late
    ASSERT_EVENTUALLY(seen.size() == script.size());
    EXPECT_EQ(seen, script);
}

TEST(TComPort, CloseServesOrDropsQueuedWaitsAndNoHandlerRunsAfterOnClose)
{
    // Closed by the owner, queued waits are served first; closed by a
    // handler, the rest is dropped.
    for (const bool fromHandler : {false, true}) {
        SCOPED_TRACE(fromHandler ? "closed by a handler" : "closed by the owner");
        FakePortRig rig;
        rig.port.OnCTS = [&](TComPort* p, const LineEvent& event) {
            EXPECT_TRUE(rig.device->IsOpen()) << "the device is still open for the handler";
            rig.log.push_back("cts " + std::to_string(event.modemStatus));
            if (fromHandler)
                p->Close();
        };
        rig.port.Open();
        for (const std::uint32_t status : {MS_CTS_ON, 0u, MS_CTS_ON}) {
            rig.WaitUntilIdle();
            rig.device->SetModemStatus(status);
        }
        // The event loop does not run here, so only Close could serve them.
        ASSERT_TRUE(rig.port.Worker()->WaitForHandOver(5s, 3));
        if (fromHandler)
            ASSERT_EVENTUALLY(!rig.port.Connected());
        else
            rig.port.Close();
        QCoreApplication::processEvents();
        if (fromHandler)
            EXPECT_THAT(rig.log, ElementsAre("open", "cts 16", "close"));
        else
            EXPECT_THAT(rig.log, ElementsAre("open", "cts 16", "cts 0", "cts 16", "close"));
    }
}

TEST(TComPort, AHandlerMayCloseThePort)
{
    FakePortRig rig;
    rig.port.OnCTS = [&](TComPort* p, const LineEvent&) {
        rig.log.push_back("cts");
        p->Close();
    };
    rig.port.Open();
    rig.WaitUntilIdle();
    rig.device->SetModemStatus(MS_CTS_ON | MS_DSR_ON);
    ASSERT_EVENTUALLY(!rig.port.Connected());
    QCoreApplication::processEvents();
    EXPECT_THAT(rig.log, ElementsAre("open", "cts", "close")) << "OnDSR of a closed port is dropped";
    EXPECT_FALSE(rig.device->IsOpen());
}

TEST(TComPort, AHandlerMayReopenThePort)
{
    FakePortRig rig;
    bool reopened = false;
    rig.port.OnCTS = [&](TComPort* p, const LineEvent&) {
        rig.log.push_back("cts");
        if (!reopened) {
            reopened = true;
            p->Open();
        }
    };
    rig.port.Open();
    rig.WaitUntilIdle();
    rig.device->SetModemStatus(MS_CTS_ON);
    ASSERT_EVENTUALLY(rig.log.size() == 4u);
    EXPECT_THAT(rig.log, ElementsAre("open", "cts", "close", "open"));
    rig.WaitUntilIdle();
    rig.device->SetModemStatus(0);
    ASSERT_EVENTUALLY(rig.log.size() == 5u);
    EXPECT_EQ(rig.port.findChildren<TComThread*>().size(), 1);
}

TEST(TComPort, AHandlerRunByCloseCannotReopenThePort)
{
    FakePortRig rig;
    std::string error;
    rig.port.OnCTS = [&](TComPort* p, const LineEvent&) {
        try {
            p->Open();
        } catch (const EComHandle& e) {
            error = e.what();
        }
    };
    rig.port.Open();
    rig.WaitUntilIdle();
    rig.device->SetModemStatus(MS_CTS_ON);
    ASSERT_TRUE(rig.port.Worker()->WaitForHandOver(5s));
    rig.port.Close();
    EXPECT_EQ(error, "Unable to open com port: 16");
    EXPECT_FALSE(rig.port.Connected());
    EXPECT_FALSE(rig.device->IsOpen());
}

TEST(TComPort, AFailedOpenLeavesThePortClosedAndALaterOpenWorks)
{
    FakePortRig rig;
    rig.device->FailOpen(2);
    try {
        rig.port.Open();
        FAIL() << "no error raised";
    } catch (const EComHandle& e) {
        EXPECT_STREQ(e.what(), "Unable to open com port: 2");
    }
    EXPECT_FALSE(rig.port.Connected());
    EXPECT_EQ(rig.port.Worker(), nullptr);
    EXPECT_TRUE(rig.log.empty()) << "no OnOpen";

    rig.device->FailOpen(0);
    rig.port.Open();
    EXPECT_TRUE(rig.port.Connected());
    EXPECT_THAT(rig.log, ElementsAre("open"));
}

TEST(TComPort, AFailedSetupReleasesTheDevice)
{
    FakePortRig rig;
    rig.device->FailConfigure(5);
    try {
        rig.port.Open();
        FAIL() << "no error raised";
    } catch (const EComState& e) {
        EXPECT_STREQ(e.what(), "Unable to set com state: 5");
    }
    EXPECT_FALSE(rig.port.Connected());
    EXPECT_EQ(rig.port.Worker(), nullptr);
    EXPECT_FALSE(rig.device->IsOpen()) << "a later Open must be able to take the device";

    rig.device->FailConfigure(0);
    rig.port.Open();
    EXPECT_TRUE(rig.port.Connected());
    EXPECT_THAT(rig.log, ElementsAre("open"));
}

TEST(TComPort, AFailedOpenOfAnOpenPortStillClosesIt)
{
    FakePortRig rig;
    rig.port.Open();
    rig.device->FailOpen(13);
    EXPECT_THROW(rig.port.Open(), EComHandle);
    EXPECT_THAT(rig.log, ElementsAre("open", "close"));
    EXPECT_FALSE(rig.port.Connected());
}

TEST(TComPort, AFailedWaitIsNotReportedAndWaitingGoesOn)
{
    FakePortRig rig;
    rig.port.Open();
    rig.WaitUntilIdle();
    const int waits = rig.device->WaitsStarted();
    rig.device->FailNextWait();
    ASSERT_TRUE(rig.device->WaitUntilWaiting(5s));
    ASSERT_EVENTUALLY(rig.device->WaitsStarted() > waits);
    rig.device->SetModemStatus(MS_DSR_ON);
    ASSERT_EVENTUALLY(rig.log.size() == 2u);
    EXPECT_THAT(rig.log, ElementsAre("open", "dsr"));
}

TEST(TComPort, AVanishedDeviceClosesThePortOnTheUiThread)
{
    FakePortRig rig;
    QThread* closedOn = nullptr;
    rig.port.OnClose = [&](TComPort*) {
        closedOn = QThread::currentThread();
        rig.log.push_back("close");
    };
    rig.port.Open();
    rig.WaitUntilIdle();
    rig.device->Unplug();
    ASSERT_EVENTUALLY(!rig.port.Connected());
    EXPECT_EQ(closedOn, QCoreApplication::instance()->thread());
    EXPECT_THAT(rig.log, ElementsAre("open", "gone", "close"));
    EXPECT_FALSE(rig.device->IsOpen());
    EXPECT_EQ(rig.port.ModemStatus(), 0u);

    EXPECT_THROW(rig.port.Open(), EComHandle) << "nothing to open while unplugged";
    rig.device->Plug();
    rig.port.Open();
    rig.WaitUntilIdle();
    rig.device->SetModemStatus(MS_CTS_ON);
    ASSERT_EVENTUALLY(rig.log.back() == "cts");
}

TEST(TComPort, AStaleVanishNoticeLeavesANewOpenAlone)
{
    FakePortRig rig;
    rig.port.Open();
    rig.WaitUntilIdle();
    rig.device->Unplug();
    // Let the worker end on its own (it purges last), without running the
    // event loop, so its notice is posted but not yet delivered.
    ASSERT_TRUE(WithoutEventLoop([&] { return rig.device->PurgeCount() == 1; }));
    ASSERT_TRUE(rig.port.Worker()->wait(QDeadlineTimer(5000)));
    rig.port.Close();
    rig.device->Plug();
    rig.port.Open();
    QCoreApplication::processEvents();
    EXPECT_TRUE(rig.port.Connected());
    EXPECT_THAT(rig.log, ElementsAre("open", "close", "open"));
}

TEST(TComPort, DestroyingAnOpenPortClosesIt)
{
    auto device = std::make_shared<FakeSerialDevice>();
    int closes = 0;
    {
        TComPort port(nullptr);
        port.SetDeviceFactory([device] { return device; });
        port.OnClose = [&](TComPort*) { ++closes; };
        port.Open();
        ASSERT_TRUE(device->WaitUntilWaiting(5s));
    }
    EXPECT_EQ(closes, 1);
    EXPECT_FALSE(device->IsOpen());
}

TEST(TComPort, EventsRaisedOnAnotherThreadRunTheirHandlersOnTheUiThread)
{
    FakePortRig rig;
    constexpr int toggles = 50;
    int calls = 0;
    bool allOnUiThread = true;
    QEventLoop loop;
    rig.port.OnCTS = [&](TComPort*, const LineEvent&) {
        ++calls;
        allOnUiThread = allOnUiThread && QThread::currentThread() == QCoreApplication::instance()->thread();
        if (calls == toggles)
            loop.quit();
    };
    rig.port.Open();
    std::thread raiser([&] {
        for (int i = 0; i < toggles; ++i) {
            if (!rig.device->WaitUntilWaiting(5s))
                return;
            rig.device->SetModemStatus(i % 2 == 0 ? MS_CTS_ON : 0);
        }
    });
    QTimer::singleShot(10000, &loop, &QEventLoop::quit);
    loop.exec();
    raiser.join();
    EXPECT_EQ(calls, toggles);
    EXPECT_TRUE(allOnUiThread);
    rig.port.Close();
}
