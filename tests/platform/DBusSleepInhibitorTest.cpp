#include "DBusSleepInhibitor.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDeadlineTimer>
#include <QFile>
#include <QMutex>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

bool WaitFor(const std::function<bool()>& condition)
{
    QDeadlineTimer deadline(10000);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

// A bus of the test's own, without service activation, so no desktop
// service of this machine can answer.
class PrivateBus
{
public:
    PrivateBus()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("dbus-daemon")).isEmpty())
            return;
        const QString config = dir_.filePath(QStringLiteral("bus.conf"));
        QFile file(config);
        if (!file.open(QIODevice::WriteOnly))
            return;
        file.write(QStringLiteral("<busconfig><type>session</type><listen>unix:dir=%1</listen>"
                                  "<auth>EXTERNAL</auth><policy context=\"default\">"
                                  "<allow send_destination=\"*\" eavesdrop=\"true\"/><allow eavesdrop=\"true\"/>"
                                  "<allow own=\"*\"/></policy></busconfig>")
                       .arg(dir_.path())
                       .toUtf8());
        file.close();
        daemon_.start(QStringLiteral("dbus-daemon"),
                      {QStringLiteral("--config-file=") + config, QStringLiteral("--nofork"),
                       QStringLiteral("--print-address")});
        if (daemon_.waitForReadyRead(10000))
            address_ = QString::fromUtf8(daemon_.readLine()).trimmed();
    }
    ~PrivateBus()
    {
        daemon_.terminate();
        daemon_.waitForFinished();
    }
    QString Address() const { return address_; }

private:
    QTemporaryDir dir_;
    QProcess daemon_;
    QString address_;
};

// The desktop's screen saver as the inhibitor sees it: answers on a thread
// of its own, so a caller that waits for it (the inhibitor's exit) is answered.
class FakeScreenSaver : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.ScreenSaver")
public:
    QStringList Calls() const
    {
        QMutexLocker lock(&mutex_);
        return calls_;
    }

public Q_SLOTS:
    Q_SCRIPTABLE uint Inhibit(const QString& application, const QString& reason)
    {
        QMutexLocker lock(&mutex_);
        calls_.append(QStringLiteral("Inhibit %1 %2").arg(application, reason));
        return 42;
    }
    Q_SCRIPTABLE void UnInhibit(uint cookie)
    {
        QMutexLocker lock(&mutex_);
        calls_.append(QStringLiteral("UnInhibit %1").arg(cookie));
    }

private:
    mutable QMutex mutex_;
    QStringList calls_;
};

QStringList Texts(const QSignalSpy& spy)
{
    QStringList texts;
    for (const QList<QVariant>& args : spy)
        texts.append(args.at(0).toString());
    return texts;
}

const QString kNoSuspendLock = QStringLiteral("Desktop bietet keine Sperre gegen Ruhezustand an "
                                              "(org.freedesktop.PowerManagement: "
                                              "org.freedesktop.DBus.Error.ServiceUnknown)");

} // namespace

TEST(DBusSleepInhibitor, TheDesktopsScreenSaverSeesInhibitAndUnInhibitAlsoAtTheEnd)
{
    PrivateBus bus;
    if (bus.Address().isEmpty())
        GTEST_SKIP() << "no dbus-daemon";
    QDBusConnection desktop = QDBusConnection::connectToBus(bus.Address(), QStringLiteral("fake-desktop"));
    ASSERT_TRUE(desktop.isConnected());
    QThread serviceThread;
    serviceThread.start();
    auto screenSaver = std::make_unique<FakeScreenSaver>();
    screenSaver->moveToThread(&serviceThread);
    ASSERT_TRUE(desktop.registerObject(QStringLiteral("/org/freedesktop/ScreenSaver"), screenSaver.get(),
                                       QDBusConnection::ExportScriptableSlots));
    ASSERT_TRUE(desktop.registerService(QStringLiteral("org.freedesktop.ScreenSaver")));

    auto inhibitor = std::make_unique<DBusSleepInhibitor>(QStringLiteral("Ravolt"), bus.Address());
    QSignalSpy reported(inhibitor.get(), &SleepInhibitor::Reported);
    inhibitor->Inhibit(QStringLiteral("Zeitnahme läuft"));
    ASSERT_TRUE(WaitFor([&] { return reported.size() == 2; }));
    EXPECT_EQ(screenSaver->Calls(), QStringList{QStringLiteral("Inhibit Ravolt Zeitnahme läuft")});
    EXPECT_EQ(Texts(reported),
              (QStringList{QStringLiteral("Desktop: Sperre gegen Bildschirmschoner erhalten"), kNoSuspendLock}));

    inhibitor->Release();
    ASSERT_TRUE(WaitFor([&] { return reported.size() == 3; }));
    EXPECT_EQ(screenSaver->Calls().last(), QStringLiteral("UnInhibit 42"));
    EXPECT_EQ(reported.last().at(0).toString(), QStringLiteral("Desktop: Sperre gegen Bildschirmschoner aufgehoben"));

    // A missing service is told once, not at every hold.
    inhibitor->Inhibit(QStringLiteral("Zeitnahme läuft"));
    inhibitor->Release();
    ASSERT_TRUE(WaitFor([&] { return reported.size() >= 5; }));
    EXPECT_EQ(Texts(reported).mid(3), (QStringList{QStringLiteral("Desktop: Sperre gegen Bildschirmschoner erhalten"),
                                                   QStringLiteral("Desktop: Sperre gegen Bildschirmschoner aufgehoben")}));

    inhibitor->Inhibit(QStringLiteral("Zeitnahme läuft"));
    inhibitor.reset(); // the program ends while holding
    EXPECT_EQ(screenSaver->Calls().size(), 6);
    EXPECT_EQ(screenSaver->Calls().last(), QStringLiteral("UnInhibit 42"));

    desktop.unregisterObject(QStringLiteral("/org/freedesktop/ScreenSaver"));
    QDBusConnection::disconnectFromBus(QStringLiteral("fake-desktop"));
    serviceThread.quit();
    serviceThread.wait();
}

TEST(DBusSleepInhibitor, ABusWithoutTheServicesOrNoBusAtAllIsToldOnceAndNothingElse)
{
    PrivateBus bus;
    if (bus.Address().isEmpty())
        GTEST_SKIP() << "no dbus-daemon";
    DBusSleepInhibitor inhibitor(QStringLiteral("Ravolt"), bus.Address());
    QSignalSpy reported(&inhibitor, &SleepInhibitor::Reported);
    inhibitor.Inhibit(QStringLiteral("Zeitnahme läuft"));
    ASSERT_TRUE(WaitFor([&] { return reported.size() == 2; }));
    EXPECT_EQ(Texts(reported).last(), kNoSuspendLock);

    // No session bus: nothing is started in its place.
    const QByteArray address = qgetenv("DBUS_SESSION_BUS_ADDRESS");
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    QTemporaryDir emptyRuntime;
    qunsetenv("DBUS_SESSION_BUS_ADDRESS");
    qputenv("XDG_RUNTIME_DIR", emptyRuntime.path().toUtf8());
    {
        DBusSleepInhibitor sessionless(QStringLiteral("Ravolt"));
        QSignalSpy told(&sessionless, &SleepInhibitor::Reported);
        sessionless.Inhibit(QStringLiteral("Zeitnahme läuft"));
        sessionless.Release();
        sessionless.Inhibit(QStringLiteral("Zeitnahme läuft"));
        ASSERT_TRUE(WaitFor([&] { return told.size() == 1; }));
        EXPECT_EQ(told.first().at(0).toString(),
                  QStringLiteral("Desktop bietet keine Sperre gegen Ruhezustand und Bildschirmschoner an "
                                 "(kein D-Bus-Sitzungsbus)"));
    }
    qputenv("XDG_RUNTIME_DIR", runtime);
    if (!address.isEmpty())
        qputenv("DBUS_SESSION_BUS_ADDRESS", address);
}

#include "DBusSleepInhibitorTest.moc"
