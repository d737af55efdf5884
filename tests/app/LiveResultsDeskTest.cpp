#include "EventBookDesk.h"
#include "FakeClock.h"
#include "LiveResultsDesk.h"
#include "ProtocolModel.h"
#include "RunControl.h"
#include "TAppSettings.h"
#include "TFrame1.h"
#include "TLbSpeedButton.h"

#include <QAction>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QUrl>
#include <QWidget>
#include <gtest/gtest.h>

#include <functional>

namespace {

// The served JSON; empty when there was no answer. Blocking socket calls
// only: the desk's timers do not run meanwhile.
QJsonObject Served(quint16 port)
{
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    if (!socket.waitForConnected(5000))
        return {};
    socket.write("GET /api/stand HTTP/1.1\r\nHost: x\r\n\r\n");
    QByteArray data;
    qsizetype end = -1;
    qsizetype length = -1;
    while ((length < 0 || data.size() < end + 4 + length) && socket.waitForReadyRead(5000)) {
        data += socket.readAll();
        end = data.indexOf("\r\n\r\n");
        const qsizetype at = data.toLower().indexOf("content-length:");
        if (end >= 0 && at >= 0)
            length = data.mid(at + 15, data.indexOf('\r', at) - at - 15).trimmed().toLongLong();
    }
    return QJsonDocument::fromJson(data.mid(end + 4)).object();
}

// The desk with a live server on 127.0.0.1 and the run control a test drives.
class LiveResultsDeskTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        desk_.Start(QStringLiteral("Bergslalom"));
        QTcpServer probe; // a port that is free now
        ASSERT_TRUE(probe.listen(QHostAddress::LocalHost));
        TAppSettings settings;
        settings.LiveResults = true;
        settings.LivePort = probe.serverPort();
        settings.LiveAddress = QStringLiteral("127.0.0.1");
        probe.close();
        desk_.ApplySettings(settings);
        ASSERT_FALSE(desk_.Live()->Address().isEmpty());
        port_ = quint16(QUrl(desk_.Live()->Address()).port());
        // The snapshot of the start (the empty one before it is version 0);
        // what the start left waiting goes first.
        QCoreApplication::processEvents();
        ASSERT_FALSE(Next().isEmpty());
    }

    // The next snapshot after the one seen last; empty when none came.
    QJsonObject Next()
    {
        const QDeadlineTimer deadline(5000);
        for (;;) {
            const QJsonObject json = Served(port_);
            const qint64 version = json.value(QStringLiteral("version")).toInteger();
            if (version > version_) {
                version_ = version;
                return json;
            }
            if (deadline.hasExpired())
                return {};
        }
    }
    // What is served once it satisfies done, or the last answer after 5 s.
    // The event loop does not run meanwhile, so whatever shows was set off
    // before; an earlier build still on its way is waited out.
    QJsonObject ServedOnce(const std::function<bool(const QJsonObject&)>& done)
    {
        const QDeadlineTimer deadline(5000);
        QJsonObject json;
        do
            json = Served(port_);
        while (!done(json) && !deadline.hasExpired());
        return json;
    }
    // "7 läuft": the lane's number and state as served.
    static QString LaneText(const QJsonObject& json, int lane)
    {
        for (const QJsonValue& v : json.value(QStringLiteral("strecke")).toArray())
            if (v[QStringLiteral("bahn")].toInt() == lane)
                return v[QStringLiteral("nr")].toString() + u' ' + v[QStringLiteral("stand")].toString();
        return QStringLiteral("(lane %1 not shown)").arg(lane);
    }

    QTemporaryDir dir_;
    QWidget main_;
    FakeClock clock_;
    TFrame1 lane1_{0, clock_};
    TFrame1 lane2_{1, clock_};
    ProtocolModel protocol_;
    QAction start_, stop_, reset_, accident_;
    TLbSpeedButton bStart_, bStop_, bReset_, bAccident_;
    RunControl control_{RunControlParts{&lane1_, &lane2_, &protocol_, &start_, &stop_, &reset_, &accident_, &bStart_,
                                        &bStop_, &bReset_, &bAccident_, nullptr}};
    EventBookDesk desk_{&main_, &control_, dir_.path()};
    quint16 port_ = 0;
    qint64 version_ = 0;
};

TEST_F(LiveResultsDeskTest, eachChangeOfTheLanes_isServedAfterOneTurnOfTheEventLoop)
{
    const struct
    {
        const char* what;
        std::function<void()> act;
        int lane;
        const char* shows;
    } steps[] = {
        {"number typed", [&] { lane1_.editStartN1->setValue(7); }, 1, "7 am Start"},
        {"START", [&] { control_.mStartClick(); }, 1, "7 läuft"},
        {"START lane 2", [&] { control_.mStartClick(); }, 2, "2 läuft"},
        {"STOPP", [&] { control_.mStopClick(); }, 1, "7 im Ziel"},
        // The car lined up next is the same: only the reset changes the lane.
        {"Nullstellen",
         [&] {
             lane1_.editStartN2->setValue(7);
             control_.mResetClick();
         },
         1, "7 am Start"},
        {"STOPP lane 2", [&] { control_.mStopClick(); }, 2, "2 im Ziel"},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.what);
        clock_.Advance(5000);
        step.act();
        QCoreApplication::processEvents();
        const QString shows = QString::fromUtf8(step.shows);
        EXPECT_EQ(LaneText(ServedOnce([&](const QJsonObject& json) { return LaneText(json, step.lane) == shows; }),
                           step.lane),
                  shows);
    }

    // UNFALL voids the selected row: the run leaves the last runs.
    ASSERT_EQ(Served(port_).value(QStringLiteral("letzteLaeufe")).toArray().size(), 2);
    protocol_.SelectRow(protocol_.FindRow(QStringLiteral("2")));
    control_.bAVARIAClick();
    QCoreApplication::processEvents();
    const auto lastRuns = [](const QJsonObject& json) { return json.value(QStringLiteral("letzteLaeufe")).toArray().size(); };
    EXPECT_EQ(lastRuns(ServedOnce([&](const QJsonObject& json) { return lastRuns(json) == 1; })), 1);
}

TEST_F(LiveResultsDeskTest, protocolChanges_arePublishedOncePerOperationEvenForTenThousandRows)
{
    QSignalSpy published(desk_.Live(), &LiveResultsDesk::Published);
    ProtocolRows rows(10000, ProtocolRow{QStringLiteral("1"), QStringLiteral("10:00:00,00")});
    protocol_.ReplaceRows(rows); // a restore
    QCoreApplication::processEvents();
    EXPECT_EQ(published.size(), 1);
    EXPECT_FALSE(Next().isEmpty());

    // A cell edited by hand, then a row removed: the book does not change.
    protocol_.setData(protocol_.index(0, ProtocolModel::ColZeit), QStringLiteral("1.00,00"));
    QCoreApplication::processEvents();
    EXPECT_EQ(published.size(), 2);
    protocol_.SelectRow(1);
    control_.Erase1Click();
    QCoreApplication::processEvents();
    EXPECT_EQ(published.size(), 3);
    EXPECT_FALSE(Next().isEmpty());
    QCoreApplication::processEvents();
    EXPECT_EQ(published.size(), 3); // nothing changed: nothing handed over
}

} // namespace
