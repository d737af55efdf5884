#include "BarrierPort.h"
#include "EComHandle.h"
#include "FakeSerialDevice.h"
#include "ProbeSerialPorts.h"
#include "RecordingJournal.h"
#include "TComPort.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <memory>
#include <unistd.h>

using namespace std::chrono_literals;

namespace {

bool WaitFor(const std::function<bool()>& condition)
{
    QDeadlineTimer deadline(5000);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

// The barrier port of the desk on a fake device, watched.
struct WatchRig
{
    WatchRig()
    {
        port.SetDeviceFactory([d = device] { return d; });
        port.SetPort(5);
        port.SetEvents({evCTS, evDSR});
        watch.SetJournal(&journal);
        watch.SetSysfsRoot(sysfs.path().toStdString());
        QObject::connect(&watch, &BarrierPort::NoticeChanged, &watch,
                         [this](const QString& text) { notices.append(text); });
        QObject::connect(&watch, &BarrierPort::Opened, &watch, [this] { shown.append(true); });
        QObject::connect(&watch, &BarrierPort::Closed, &watch, [this] { shown.append(false); });
        port.OnCTS = [this](TComPort*, const LineEvent&) { ++ctsEvents; };
    }
    // Closed while the watch still lives: closing tells the watch.
    ~WatchRig() { port.Close(); }

    bool Pull()
    {
        device->Unplug();
        return WaitFor([this] { return !port.Connected(); });
    }

    QTemporaryDir sysfs;
    std::shared_ptr<FakeSerialDevice> device = std::make_shared<FakeSerialDevice>();
    RecordingJournal journal;
    QStringList notices;
    // Opened (true) and Closed (false), in order: the lock indicator follows them.
    QList<bool> shown;
    int ctsEvents = 0;
    BarrierPort watch;
    TComPort& port = watch.Com();
};

} // namespace

TEST(BarrierPort, APulledAdapterIsNoticedSoughtEverySecondAndReopenedWhenBack)
{
    WatchRig rig;
    rig.port.Open();
    ASSERT_EQ(rig.journal.lines.size(), 1);
    EXPECT_EQ(rig.journal.lines[0].toStdString(),
              "Lichtschranken-Port geöffnet: COM5 (/dev/ttyUSB0), Treiber unbekannt: Verhalten der Leitungen unbekannt");
    EXPECT_FALSE(rig.watch.RetryTimer()->isActive()) << "nothing to watch while the port works";

    ASSERT_TRUE(rig.Pull());
    EXPECT_EQ(rig.notices, QStringList{QStringLiteral("Lichtschranken getrennt (COM5)")});
    EXPECT_TRUE(rig.watch.RetryTimer()->isActive());
    EXPECT_EQ(rig.watch.RetryTimer()->interval(), 1000);
    EXPECT_TRUE(rig.journal.lines.last().startsWith(QStringLiteral("Lichtschranken getrennt (COM5)")));
    EXPECT_FALSE(rig.journal.lines.join('\n').contains(QStringLiteral("geschlossen")))
        << "a lost device is not a port the operator closed";

    rig.watch.RetryTimerTimer(); // still unplugged
    EXPECT_FALSE(rig.port.Connected());
    EXPECT_TRUE(rig.watch.Lost());

    rig.device->Plug();
    rig.watch.RetryTimerTimer();
    ASSERT_TRUE(rig.port.Connected());
    EXPECT_EQ(rig.device->Settings().dataBits, rig.port.DataBits()) << "reopened with the same settings";
    EXPECT_FALSE(rig.watch.RetryTimer()->isActive());
    EXPECT_EQ(rig.notices.last(), QString());
    EXPECT_TRUE(rig.journal.lines.contains(QStringLiteral("Lichtschranken wieder verbunden (COM5)")));

    ASSERT_TRUE(rig.device->WaitUntilWaiting(5s));
    rig.device->SetModemStatus(0x10);
    EXPECT_TRUE(WaitFor([&] { return rig.ctsEvents == 1; })) << "line events flow again";
}

TEST(BarrierPort, APortTheOperatorDeselectedIsNeverReopened)
{
    WatchRig rig;
    rig.port.Open();
    ASSERT_TRUE(rig.Pull());
    // Settings "Kein": the port is closed and gets no number.
    rig.port.Close();
    rig.port.SetPort(0);
    rig.device->Plug();
    const int opens = rig.device->OpenCount();
    rig.watch.RetryTimerTimer();
    EXPECT_FALSE(rig.port.Connected());
    EXPECT_EQ(rig.device->OpenCount(), opens);
    EXPECT_FALSE(rig.watch.RetryTimer()->isActive());
    EXPECT_FALSE(rig.watch.Lost());
    EXPECT_EQ(rig.notices.last(), QString());

    // Closed by the operator while it works: no watch at all.
    rig.port.SetPort(5);
    rig.port.Open();
    rig.port.Close();
    EXPECT_TRUE(rig.journal.lines.last().startsWith(QStringLiteral("Lichtschranken-Port geschlossen (COM5)")));
    EXPECT_FALSE(rig.watch.RetryTimer()->isActive());
}

TEST(BarrierPort, APortThatCannotBeOpenedIsToldJournalledWithWhyAndSoughtUntilItOpens)
{
    // Only a missing permission is the operator's to mend: its remedy is on the screen.
    const QString denied = QStringLiteral("Lichtschranken nicht verbunden (COM5): keine Berechtigung für "
                                          "/dev/ttyUSB0 - Benutzer in die Gruppe dialout aufnehmen "
                                          "(sudo adduser $USER dialout) und neu anmelden");
    struct Case
    {
        int error;
        const char* why;
        QString notice;
    };
    for (const Case& c : {Case{ENOENT, "Gerät /dev/ttyUSB0 nicht vorhanden", QStringLiteral("Lichtschranken nicht verbunden (COM5)")},
                          Case{EACCES, "sudo adduser $USER dialout", denied},
                          Case{EPERM, "sudo adduser $USER dialout", denied},
                          Case{ENOTTY, "/dev/ttyUSB0 ist keine serielle Schnittstelle", QStringLiteral("Lichtschranken nicht verbunden (COM5)")}}) {
        SCOPED_TRACE(c.why);
        WatchRig rig;
        rig.device->FailOpen(c.error);
        rig.watch.Open(5);
        ASSERT_FALSE(rig.port.Connected());
        EXPECT_EQ(rig.shown, QList<bool>{false}) << "the barriers are inactive";
        EXPECT_EQ(rig.notices, QStringList{c.notice});
        ASSERT_EQ(rig.journal.lines.size(), 1);
        EXPECT_TRUE(rig.journal.lines[0].startsWith(QStringLiteral("Lichtschranken nicht verbunden (COM5): ")));
        EXPECT_TRUE(rig.journal.lines[0].contains(QString::fromUtf8(c.why))) << rig.journal.lines[0].toStdString();
        EXPECT_TRUE(rig.watch.RetryTimer()->isActive());
        const bool refused = c.error == EACCES || c.error == EPERM;
        EXPECT_EQ(rig.watch.WithOwnPort(0), refused ? AddAvailablePort(0, 5) : 0u)
            << "a refused port stays choosable in the settings";

        rig.watch.RetryTimerTimer(); // the same reason is not journalled again
        EXPECT_EQ(rig.journal.lines.size(), 1);
        rig.device->FailOpen(EBUSY);
        rig.watch.RetryTimerTimer(); // a new reason is
        EXPECT_TRUE(rig.journal.lines.last().contains(QStringLiteral("von einem anderen Programm benutzt")));
        EXPECT_EQ(rig.notices.last(), QStringLiteral("Lichtschranken nicht verbunden (COM5)"));

        rig.device->FailOpen(0);
        rig.watch.RetryTimerTimer();
        ASSERT_TRUE(rig.port.Connected());
        EXPECT_FALSE(rig.watch.RetryTimer()->isActive());
        EXPECT_EQ(rig.notices.last(), QString());
        EXPECT_TRUE(rig.journal.lines.contains(QStringLiteral("Lichtschranken verbunden (COM5)")));
    }
}

TEST(BarrierPort, APulledAdapterThatComesBackWithoutPermissionShowsTheRemedy)
{
    WatchRig rig;
    rig.port.Open();
    ASSERT_TRUE(rig.Pull());
    rig.device->Plug();
    rig.device->FailOpen(EACCES);
    rig.watch.RetryTimerTimer();
    EXPECT_EQ(rig.notices.last().toStdString(),
              "Lichtschranken getrennt (COM5): keine Berechtigung für /dev/ttyUSB0 - Benutzer in die Gruppe "
              "dialout aufnehmen (sudo adduser $USER dialout) und neu anmelden");
    EXPECT_TRUE(rig.journal.lines.last().contains(QStringLiteral("dialout")));
    rig.device->FailOpen(0);
    rig.watch.RetryTimerTimer();
    EXPECT_TRUE(rig.port.Connected());
    EXPECT_EQ(rig.notices.last(), QString());
}

TEST(BarrierPort, ADeviceFileTheUserMayNotOpenShowsTheDialoutRemedy)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("ttyDenied"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    ASSERT_TRUE(file.setPermissions({}));
    qputenv("RAVOLT_COM5", path.toUtf8());
    BarrierPort watch;
    QStringList notices;
    QObject::connect(&watch, &BarrierPort::NoticeChanged, &watch, [&](const QString& text) { notices.append(text); });
    {
        // Root opens a file whatever its mode, so the open is made as nobody.
        const bool root = ::geteuid() == 0;
        ASSERT_TRUE(!root || ::seteuid(65534) == 0);
        watch.Open(5);
        ASSERT_TRUE(!root || ::seteuid(0) == 0);
    }
    qunsetenv("RAVOLT_COM5");
    EXPECT_EQ(notices, QStringList{QStringLiteral("Lichtschranken nicht verbunden (COM5): keine Berechtigung für ") +
                                   path +
                                   QStringLiteral(" - Benutzer in die Gruppe dialout aufnehmen (sudo adduser "
                                                  "$USER dialout) und neu anmelden")});
}

TEST(BarrierPort, OpensTheConfiguredPortElseTheFallbackAndReopensOnlyAfterThePause)
{
    struct Case
    {
        std::uint8_t configured;
        std::uint8_t fallback;
        std::uint8_t opened; // 0: none
    };
    for (const Case& c : {Case{5, 0, 5}, Case{5, 1, 5}, Case{0, 1, 1}, Case{0, 0, 0}}) {
        SCOPED_TRACE(testing::Message() << "configured " << int(c.configured) << ", fallback " << int(c.fallback));
        WatchRig rig;
        rig.port.SetPort(0);
        rig.watch.SetFallbackPort(c.fallback);
        rig.watch.Open(c.configured);
        EXPECT_EQ(rig.port.Connected(), c.opened != 0);
        EXPECT_EQ(rig.port.Port(), c.opened);
        EXPECT_EQ(rig.shown, c.opened ? QList<bool>{true} : QList<bool>{});
    }

    WatchRig rig;
    rig.watch.Open(5);
    ASSERT_TRUE(rig.port.Connected());
    rig.watch.Reopen(5);
    EXPECT_FALSE(rig.port.Connected()) << "closed at once";
    EXPECT_TRUE(rig.watch.ReopenTimer()->isActive());
    EXPECT_EQ(rig.watch.ReopenTimer()->interval(), 50);
    rig.watch.ReopenTimer()->stop();
    rig.watch.TimerPortReopenTimer(); // the pause is over
    EXPECT_TRUE(rig.port.Connected());
    EXPECT_EQ(rig.shown, (QList<bool>{true, false, true}));

    rig.watch.Reopen(0); // "Kein"
    EXPECT_FALSE(rig.port.Connected());
    EXPECT_FALSE(rig.watch.ReopenTimer()->isActive());
    EXPECT_EQ(rig.port.Port(), 0);
}
