// The page's update script in a real browser: headless Chromium at phone
// size opens the track page, its script polls, a run finishes while the
// browser has the page, and the page the browser ends with shows it.
#include "DemoEvent.h"
#include "LiveGate.h"
#include "LiveHttp.h"
#include "LiveSnapshot.h"

#include <QEventLoop>
#include <QHttpServerRequest>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrlQuery>
#include <gtest/gtest.h>

#include <memory>
#include <utility>
#include <vector>

namespace {

// The server's request handling as it is, noting each request; the first
// poll of the page's script publishes the change once it is answered.
class WatchedHttp : public LiveHttp
{
public:
    WatchedHttp(std::shared_ptr<const LiveSnapshot>& current, std::shared_ptr<const LiveSnapshot> next)
        : LiveHttp([&current] { return current; }), current_(current), next_(std::move(next))
    {
    }
    struct Seen
    {
        QString path;
        bool poll = false;
        QByteArray ifNoneMatch;
    };
    std::vector<Seen> seen;

protected:
    bool handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) override
    {
        const bool poll = QUrlQuery(request.url()).queryItemValue(QStringLiteral("teil")) == QLatin1String("1");
        seen.push_back({request.url().path(), poll, request.value("If-None-Match")});
        const bool handled = LiveHttp::handleRequest(request, socket);
        if (poll && next_)
            current_ = std::exchange(next_, nullptr);
        return handled;
    }

private:
    std::shared_ptr<const LiveSnapshot>& current_;
    std::shared_ptr<const LiveSnapshot> next_;
};

// Runs the browser until it has written the page's DOM; the event loop keeps
// serving meanwhile. The deadline only guards against a hung browser.
QByteArray DumpDom(const QString& chromium, const QString& url, const QString& profile, QString& errors)
{
    QProcess browser;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), profile);
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), profile + QStringLiteral("/config"));
    env.insert(QStringLiteral("XDG_CACHE_HOME"), profile + QStringLiteral("/cache"));
    browser.setProcessEnvironment(env);
    // No sandbox: it needs privileges a test run may lack, and the browser
    // only opens our own page on 127.0.0.1. Everything that would reach for
    // the internet is off, or the browser waits for it on a closed network.
    // Virtual time: the page's 0.8 s polls run as fast as they are answered.
    const QStringList arguments{
        QStringLiteral("--headless"), QStringLiteral("--no-sandbox"), QStringLiteral("--disable-gpu"),
        QStringLiteral("--disable-quic"), QStringLiteral("--no-first-run"),
        QStringLiteral("--disable-background-networking"), QStringLiteral("--disable-component-update"),
        QStringLiteral("--disable-sync"), QStringLiteral("--user-data-dir=") + profile + QStringLiteral("/data"),
        QStringLiteral("--window-size=390,844"), QStringLiteral("--virtual-time-budget=6000"),
        QStringLiteral("--dump-dom"), url};
    QEventLoop loop;
    QObject::connect(&browser, &QProcess::finished, &loop, &QEventLoop::quit);
    QObject::connect(&browser, &QProcess::errorOccurred, &loop, &QEventLoop::quit);
    QTimer::singleShot(120000, &loop, &QEventLoop::quit);
    browser.start(chromium, arguments);
    loop.exec();
    if (browser.state() != QProcess::NotRunning) {
        browser.kill();
        browser.waitForFinished();
    }
    errors = QString::fromLocal8Bit(browser.readAllStandardError().right(2000));
    return browser.readAllStandardOutput();
}

TEST(LiveBrowser, aRunFinishedWhileAPhoneHasTheTrackPage_showsUpThroughThePagesScript)
{
    const QString chromium = QStandardPaths::findExecutable(QStringLiteral("chromium"));
    if (chromium.isEmpty()) {
        if (qEnvironmentVariableIsSet("RAVOLT_REQUIRE_BROWSER"))
            FAIL() << "chromium is not installed, and this run requires it (RAVOLT_REQUIRE_BROWSER)";
        GTEST_SKIP() << "chromium is not installed: the page's script is not watched in a browser "
                        "(apt-get install chromium; CI installs it)";
    }
    const QTemporaryDir profile;
    ASSERT_TRUE(profile.isValid());

    // Seven runs done and driver 8 on the track; then the eighth run finishes.
    const LiveInput before = DemoEvent(7);
    const LiveInput after = DemoEvent(8);
    const QString newTime = ResultTimeText(after.lastRuns.front().runTimeMs, false);
    ASSERT_FALSE(LiveSnapshot::Build(before, 1)->Fragment(LivePage::Track).contains(newTime.toUtf8()));
    std::shared_ptr<const LiveSnapshot> current = LiveSnapshot::Build(before, 1);
    WatchedHttp http(current, LiveSnapshot::Build(after, 2));
    auto* gate = new LiveGate(LiveLimits(), &http); // the HTTP server owns what it is bound to
    ASSERT_TRUE(gate->listen(QHostAddress::LocalHost, 0));
    http.bind(gate);

    QString errors;
    const QString dom = QString::fromUtf8(
        DumpDom(chromium, QStringLiteral("http://127.0.0.1:%1/").arg(gate->serverPort()), profile.path(), errors));
    SCOPED_TRACE(errors.toStdString());

    // The script polled with the page's ETag (answered 304), took the new
    // ETag from the answer that brought the change, and polled on with it.
    std::vector<QByteArray> polledWith;
    for (const WatchedHttp::Seen& s : http.seen)
        if (s.poll && s.path == QLatin1String("/"))
            polledWith.push_back(s.ifNoneMatch);
    ASSERT_GE(polledWith.size(), 3u) << "the page's script did not poll (blocked by the page's policy?)";
    EXPECT_EQ(polledWith[0], "\"v1\"");
    EXPECT_EQ(polledWith[1], "\"v1\"");
    EXPECT_EQ(polledWith.back(), "\"v2\"");

    // The page the browser ends with: the new run with its time, driver 9 on
    // the track, still the whole page around it.
    EXPECT_TRUE(dom.contains(QStringLiteral("data-etag=\"&quot;v2&quot;\""))) << dom.left(400).toStdString();
    EXPECT_TRUE(dom.contains(newTime)) << newTime.toStdString();
    EXPECT_TRUE(dom.contains(QStringLiteral("<td>9</td><td>Lindström, Maja</td><td>F9</td><td class=\"run\">läuft")))
        << dom.toStdString();
    EXPECT_EQ(dom.count(QStringLiteral("<main")), 1);
    EXPECT_TRUE(dom.contains(QStringLiteral("<nav>")));
    EXPECT_TRUE(dom.contains(QStringLiteral("42. Clubslalom am Kirchberg")));
}

} // namespace
