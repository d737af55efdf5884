#include "LiveGate.h"
#include "LiveQrCode.h"
#include "LiveServer.h"
#include "LiveSnapshot.h"
#include "ScoringFixtures.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTest>
#include <QSemaphore>
#include <QTcpSocket>
#include <gtest/gtest.h>

#include <atomic>
#include <iostream>
#include <map>
#include <memory>
#include <vector>

#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr int kWaitMs = 5000;

struct Reply
{
    int status = 0; // 0: closed without an answer
    QByteArray head;
    QByteArray body;
    QByteArray Header(const QByteArray& name) const
    {
        for (const QByteArray& line : head.split('\n'))
            if (line.toLower().startsWith(name.toLower() + ':'))
                return line.mid(name.size() + 1).trimmed();
        return {};
    }
};

// Reads one answer: the head, then Content-Length bytes of body (none for HEAD).
Reply Read(QTcpSocket& socket, bool head = false)
{
    Reply reply;
    QByteArray data;
    const QDeadlineTimer deadline(kWaitMs);
    int end = -1;
    while ((end = data.indexOf("\r\n\r\n")) < 0 && !deadline.hasExpired()) {
        if (!socket.bytesAvailable() && !socket.waitForReadyRead(static_cast<int>(deadline.remainingTime())))
            break;
        data += socket.readAll();
    }
    if (end < 0)
        return reply;
    reply.head = data.left(end);
    reply.status = reply.head.mid(9, 3).toInt();
    const int length = head ? 0 : reply.Header("Content-Length").toInt();
    reply.body = data.mid(end + 4);
    while (reply.body.size() < length && !deadline.hasExpired()) {
        if (!socket.bytesAvailable() && !socket.waitForReadyRead(static_cast<int>(deadline.remainingTime())))
            break;
        reply.body += socket.readAll();
    }
    return reply;
}

bool Connect(QTcpSocket& socket, quint16 port, const char* from = "127.0.0.1")
{
    socket.bind(QHostAddress(QString::fromLatin1(from)));
    socket.connectToHost(QHostAddress::LocalHost, port);
    return socket.waitForConnected(kWaitMs);
}

bool WaitClosed(QTcpSocket& socket)
{
    const QDeadlineTimer deadline(kWaitMs);
    while (socket.state() != QAbstractSocket::UnconnectedState && !deadline.hasExpired()) {
        socket.readAll();
        socket.waitForReadyRead(50);
    }
    return socket.state() == QAbstractSocket::UnconnectedState;
}

// The descriptors this process has open.
int OpenDescriptors()
{
    return int(QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot).size());
}

LiveInput Event()
{
    LiveInput input;
    input.scoring.rules.title = QStringLiteral("Slalom am Berg");
    input.scoring.rules.date = QDate(2026, 9, 12);
    std::vector<Entry> entries{Driver(1, QStringLiteral("G3")), Driver(2, QStringLiteral("G3"))};
    entries[1].name = QStringLiteral("<script>alert(1)</script>");
    std::vector<RunRecord> runs{Timed(1, 1, 61230)};
    input.scoring = ScoreEvent(input.scoring.rules, entries, runs);
    input.lanes = {LiveLane{1, QStringLiteral("2"), true}};
    input.lastRuns = runs;
    return input;
}

class LiveServerTest : public ::testing::Test
{
protected:
    void SetUp() override { Start(LiveLimits()); }
    void Start(const LiveLimits& limits)
    {
        server_.Publish(LiveSnapshot::Build(Event(), ++version_));
        const LiveServer::Result started = server_.Start(QHostAddress::LocalHost, 0, limits);
        ASSERT_TRUE(started.ok) << started.message.toStdString();
        port_ = started.port;
    }
    Reply Ask(const QByteArray& request, bool head = false)
    {
        QTcpSocket socket;
        if (!Connect(socket, port_))
            return {};
        socket.write(request);
        return Read(socket, head);
    }
    Reply Get(const QByteArray& path, const QByteArray& extra = {})
    {
        return Ask("GET " + path + " HTTP/1.1\r\nHost: x\r\n" + extra + "\r\n");
    }

    LiveServer server_;
    quint16 port_ = 0;
    std::uint64_t version_ = 0;
};

TEST_F(LiveServerTest, eachPageAndTheJson_answerWithStrictHeadersTitleDateAndState)
{
    const struct
    {
        const char* path;
        const char* type;
        const char* shows;
    } cases[] = {
        {"/", "text/html", "Auf der Strecke"},
        {"/wertung", "text/html", "Gesamtwertung"},
        {"/starter", "text/html", "Fahrer1"},
        {"/wertung?teil=1", "text/html", "Gesamtwertung"},
        {"/api/stand", "application/json", "\"veranstaltung\":\"Slalom am Berg\""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        const Reply reply = Get(c.path);
        EXPECT_EQ(reply.status, 200);
        EXPECT_TRUE(reply.Header("Content-Type").startsWith(c.type));
        EXPECT_TRUE(reply.body.contains(c.shows));
        EXPECT_TRUE(reply.body.contains("Slalom am Berg"));
        EXPECT_TRUE(reply.body.contains("vorläufig"));
        EXPECT_TRUE(reply.Header("Content-Security-Policy").contains("default-src 'none'"));
        EXPECT_EQ(reply.Header("X-Content-Type-Options"), "nosniff");
        EXPECT_EQ(reply.Header("Cache-Control"), "no-cache");
        EXPECT_FALSE(reply.Header("ETag").isEmpty());
        EXPECT_TRUE(reply.Header("Set-Cookie").isEmpty());
        if (QByteArray(c.type) == "text/html") {
            EXPECT_TRUE(reply.body.contains("12.09.2026"));
        }
    }
    const Reply head = Ask("HEAD /wertung HTTP/1.1\r\nHost: x\r\n\r\n", true);
    EXPECT_EQ(head.status, 200);
    EXPECT_EQ(head.Header("Content-Length").toInt(), Get("/wertung").body.size());
}

TEST_F(LiveServerTest, aFinishedRun_isServedWithANewETagAndTheOldOneNoLongerMatches)
{
    const Reply before = Get("/");
    EXPECT_EQ(Get("/", "If-None-Match: " + before.Header("ETag") + "\r\n").status, 304);

    LiveInput input = Event();
    input.lastRuns.insert(input.lastRuns.begin(), Timed(2, 1, 58760, 1));
    input.lanes.clear();
    server_.PublishInput(input); // built on the server's thread

    const QDeadlineTimer deadline(kWaitMs);
    Reply after;
    do
        after = Get("/", "If-None-Match: " + before.Header("ETag") + "\r\n");
    while (after.status == 304 && !deadline.hasExpired());
    EXPECT_EQ(after.status, 200);
    EXPECT_NE(after.Header("ETag"), before.Header("ETag"));
    EXPECT_TRUE(after.body.contains("58,76"));
    EXPECT_TRUE(after.body.contains("Zurzeit fährt niemand."));
    EXPECT_TRUE(after.body.contains("1 Pyl.</td>")); // no "0 Aufg." beside it
}

TEST_F(LiveServerTest, hostileRequests_areRefusedAndTheServerGoesOn)
{
    const struct
    {
        QByteArray request;
        int status;
    } cases[] = {
        {"POST / HTTP/1.1\r\nHost: x\r\nContent-Length: 2\r\n\r\nab", 405},
        {"PUT /wertung HTTP/1.1\r\nHost: x\r\nContent-Length: 0\r\n\r\n", 405},
        {"DELETE /api/stand HTTP/1.1\r\nHost: x\r\n\r\n", 405},
        {"GET /../etc/passwd HTTP/1.1\r\nHost: x\r\n\r\n", 404},
        {"GET /%2e%2e/%2e%2e/etc/passwd HTTP/1.1\r\nHost: x\r\n\r\n", 404},
        {"GET /wertung/..%2f..%2fetc%2fpasswd HTTP/1.1\r\nHost: x\r\n\r\n", 404},
        {"GET //etc/passwd HTTP/1.1\r\nHost: x\r\n\r\n", 404},
        {"GET /resources/ HTTP/1.1\r\nHost: x\r\n\r\n", 404},
        {"GET / HTTP/1.1\r\nHost: x\r\nX-Big: " + QByteArray(20000, 'a') + "\r\n\r\n", 431},
        {"GET / HTTP/1.1\r\n" + QByteArray("X-A: b\r\n").repeated(100) + "\r\n", 431},
        {"GARBAGE\r\n\r\n", 0}, // no request line: closed without an answer
        {"GET /\r\nHost: x\r\n\r\n", 0}, // no version
        {"GET /" + QByteArray(100 * 1024, 'a') + " HTTP/1.1\r\nHost: x\r\n\r\n", 431},
        {QByteArray("GET /") + '\0' + " HTTP/1.1\r\nHost: x\r\n\r\n", 404}, // a NUL: no such route
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.request.left(40).toStdString());
        const Reply reply = Ask(c.request);
        EXPECT_EQ(reply.status, c.status);
        EXPECT_FALSE(reply.body.contains("root:"));
    }
    EXPECT_EQ(Get("/").status, 200);
}

TEST_F(LiveServerTest, namesFromTheEntryList_areEscapedOnEveryPage)
{
    for (const char* path : {"/", "/wertung", "/starter"}) {
        const Reply reply = Get(path);
        EXPECT_FALSE(reply.body.contains("<script>alert")) << path;
        EXPECT_TRUE(reply.body.contains("&lt;script&gt;alert(1)&lt;/script&gt;")) << path;
    }
    EXPECT_TRUE(Get("/api/stand").body.contains("<script>alert(1)</script>")); // JSON is text, not markup
}

TEST_F(LiveServerTest, connectionsBeyondTheLimits_areTurnedAwayWithoutHarmingOthers)
{
    server_.Stop();
    LiveLimits limits;
    limits.maxPerClient = 3;
    limits.maxConnections = 5;
    Start(limits);

    // Each held connection has been answered once, so the server counts it.
    std::vector<std::unique_ptr<QTcpSocket>> held;
    auto hold = [&](const char* from) {
        auto socket = std::make_unique<QTcpSocket>();
        if (!Connect(*socket, port_, from))
            return 0;
        socket->write("GET /api/stand HTTP/1.1\r\nHost: x\r\n\r\n");
        const int status = Read(*socket).status;
        held.push_back(std::move(socket));
        return status;
    };
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(hold("127.0.0.1"), 200);
    EXPECT_EQ(hold("127.0.0.1"), 503); // a fourth from the same client
    EXPECT_EQ(hold("127.0.0.2"), 200);
    EXPECT_EQ(hold("127.0.0.2"), 200);
    EXPECT_EQ(hold("127.0.0.3"), 503); // six in all

    // The held connections are still served.
    held[0]->write("GET /wertung HTTP/1.1\r\nHost: x\r\n\r\n");
    EXPECT_EQ(Read(*held[0]).status, 200);
    // A client that leaves makes room.
    held[1]->disconnectFromHost();
    held[1].reset();
    const QDeadlineTimer deadline(kWaitMs);
    int status = 0;
    while (status != 200 && !deadline.hasExpired())
        status = hold("127.0.0.4");
    EXPECT_EQ(status, 200);
}

// A thousand clients at once: the gate holds 256 (16 per address) and
// turns the rest away, a client it holds is still served, and every
// descriptor is given back when they leave.
TEST_F(LiveServerTest, aThousandConnections_areHeldOrTurnedAwayAndLeaveNoDescriptorBehind)
{
    server_.Stop();
    LiveLimits limits;
    limits.requestTimeoutMs = 120000; // none dropped as idle while the test runs
    Start(limits);
    // Qt opens a wake-up descriptor of its own at the first client; not ours to count.
    ASSERT_EQ(Get("/").status, 200);
    const int baseline = OpenDescriptors();

    // Each client and each held connection's other end takes a descriptor.
    rlimit before{};
    ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &before), 0);
    rlimit raised = before;
    raised.rlim_cur = raised.rlim_max;
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &raised), 0);
    const rlim_t room = raised.rlim_cur - baseline - limits.maxConnections - 64;
    const int clients = int(std::min<rlim_t>(1000, room));
    if (clients < 1000)
        std::cout << "Only " << clients << " connections: the descriptor limit (" << raised.rlim_cur
                  << ") allows no more.\n";
    ASSERT_GT(clients, limits.maxConnections);

    QTcpSocket polite;
    ASSERT_TRUE(Connect(polite, port_, "127.0.0.1"));
    polite.write("GET /api/stand HTTP/1.1\r\nHost: x\r\n\r\n");
    ASSERT_EQ(Read(polite).status, 200);

    // 20 from each address, every one asking at once.
    auto from = [](int i) { return "127.0.1." + QByteArray::number(1 + i / 20); };
    std::vector<std::unique_ptr<QTcpSocket>> flood;
    for (int i = 0; i < clients; ++i) {
        auto socket = std::make_unique<QTcpSocket>();
        ASSERT_TRUE(Connect(*socket, port_, from(i).constData())) << i;
        socket->write("GET /api/stand HTTP/1.1\r\nHost: x\r\n\r\n");
        socket->flush();
        flood.push_back(std::move(socket));
    }
    polite.write("GET /wertung HTTP/1.1\r\nHost: x\r\n\r\n");
    EXPECT_EQ(Read(polite).status, 200);

    std::map<QByteArray, int> heldPer;
    int held = 0;
    int refused = 0;
    for (int i = 0; i < clients; ++i) {
        const int status = Read(*flood[i]).status;
        if (status == 200) {
            ++held;
            ++heldPer[from(i)];
        } else if (status == 503 || status == 0) {
            ++refused;
        } else {
            ADD_FAILURE() << "connection " << i << " answered " << status;
        }
    }
    EXPECT_EQ(held, limits.maxConnections - 1); // the polite client holds one
    EXPECT_EQ(refused, clients - held);
    EXPECT_EQ(heldPer[from(0)], limits.maxPerClient);
    for (const auto& [address, count] : heldPer)
        EXPECT_LE(count, limits.maxPerClient) << address.constData();

    flood.clear();
    polite.close();
    // Each request paces the wait and shows the server still serving.
    const QDeadlineTimer deadline(kWaitMs * 2);
    int status = 0;
    while ((OpenDescriptors() > baseline || status != 200) && !deadline.hasExpired())
        status = Get("/").status;
    EXPECT_EQ(status, 200);
    EXPECT_LE(OpenDescriptors(), baseline);
    EXPECT_TRUE(server_.Running());
    setrlimit(RLIMIT_NOFILE, &before);
}

TEST_F(LiveServerTest, aSlowOrIdleClient_isDroppedAfterItsTimeWhileOthersAreServed)
{
    server_.Stop();
    LiveLimits limits;
    limits.requestTimeoutMs = 200;
    Start(limits);

    QTcpSocket slow;
    ASSERT_TRUE(Connect(slow, port_));
    slow.write("GET / HTTP/1.1\r\nHost: x\r\n");
    slow.flush();
    QTcpSocket idle;
    ASSERT_TRUE(Connect(idle, port_));

    EXPECT_EQ(Get("/").status, 200);
    EXPECT_TRUE(WaitClosed(slow));
    EXPECT_TRUE(WaitClosed(idle));
}

TEST_F(LiveServerTest, aPortInUse_isToldInGermanAndTheRunningServerStays)
{
    LiveServer other;
    const LiveServer::Result result = other.Start(QHostAddress::LocalHost, port_);
    EXPECT_FALSE(result.ok);
    EXPECT_TRUE(result.message.contains(QStringLiteral("belegt")));
    EXPECT_EQ(Get("/").status, 200);
}

TEST_F(LiveServerTest, aRequestDuringABuild_isAnsweredFromTheSnapshotBeforeAndLaterInputsMerge)
{
    std::atomic<int> builds = 0;
    std::atomic<int> builderNice = 0;
    QSemaphore building;
    QSemaphore release;
    server_.SetBeforeBuild([&] {
        builderNice = ::getpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()));
        ++builds;
        building.release();
        release.acquire();
    });
    const auto unhold = qScopeGuard([&] { release.release(2); });
    const Reply before = Get("/");
    const std::uint64_t version = server_.Current()->Version();

    LiveInput first = Event();
    first.lanes.clear();
    server_.PublishInput(first);
    ASSERT_TRUE(building.tryAcquire(1, kWaitMs)); // the first build is under way and held
    LiveInput second = first;
    second.scoring.rules.title = QStringLiteral("Zwischenstand");
    LiveInput third = first;
    third.lastRuns.insert(third.lastRuns.begin(), Timed(2, 1, 58760));
    server_.PublishInput(second);
    server_.PublishInput(third);

    const Reply during = Get("/", "If-None-Match: " + before.Header("ETag") + "\r\n");
    EXPECT_EQ(during.status, 304);
    EXPECT_EQ(Get("/").body, before.body);

    release.release(2);
    const QByteArray latest = "\"v" + QByteArray::number(static_cast<qulonglong>(version + 2)) + '"';
    const QDeadlineTimer deadline(kWaitMs);
    Reply after;
    do
        after = Get("/");
    while (after.Header("ETag") != latest && !deadline.hasExpired());
    EXPECT_EQ(after.Header("ETag"), latest);
    EXPECT_TRUE(after.body.contains("58,76"));
    EXPECT_TRUE(after.body.contains("Zurzeit fährt niemand."));
    EXPECT_FALSE(after.body.contains("Zwischenstand"));
    EXPECT_EQ(builds, 2); // the second and third input were built once, as the latest
    EXPECT_GT(builderNice, ::getpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()))); // gives way to serving
}

} // namespace

TEST(LiveGate, anAcceptThatFailsForLackOfDescriptors_pausesOnlyUntilItsResumeTimer)
{
#ifdef __SANITIZE_ADDRESS__
    GTEST_SKIP() << "the sanitizers' runtime needs descriptors of its own to check memory, and there are none left";
#endif
    LiveGate gate(LiveLimits{});
    ASSERT_TRUE(gate.listen(QHostAddress::LocalHost));
    QSignalSpy failed(&gate, &QTcpServer::acceptError);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(gate.serverPort());
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const auto connectClient = [&] {
        const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        EXPECT_EQ(::connect(fd, reinterpret_cast<const sockaddr*>(&to), sizeof to), 0);
        return fd;
    };
    const int first = connectClient();
    // No descriptor is left for the gate's accept: the kernel holds the
    // connection, the accept fails with EMFILE.
    rlimit limit{};
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &limit), 0);
    const rlimit before = limit;
    limit.rlim_cur = rlim_t(::dup(0));
    ::close(int(limit.rlim_cur));
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &limit), 0);
    const bool sawFailure = failed.wait(5000);
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &before), 0);
    ASSERT_TRUE(sawFailure);
    EXPECT_EQ(gate.Connections(), 0);

    ASSERT_TRUE(gate.ResumeTimer()->isActive()) << "accepting resumes by itself";
    gate.ResumeTimer()->setInterval(0); // its pause, without waiting it out
    gate.ResumeTimer()->start();
    const int second = connectClient();
    EXPECT_TRUE(QTest::qWaitFor([&] { return gate.Connections() == 2; }, 5000))
        << "both waiting phones are taken once descriptors are free again";
    ::close(first);
    ::close(second);
}

TEST(LiveQrCode, anAddressBecomesASquareCodeWithItsQuietZoneAndFinderPatterns)
{
    const QImage code = LiveQrCode(QStringLiteral("http://192.168.1.10:8080/"), 4);
    ASSERT_FALSE(code.isNull());
    EXPECT_EQ(code.width(), code.height());
    const int quiet = 4 * 4;
    EXPECT_EQ(code.pixel(quiet - 1, quiet - 1), qRgb(255, 255, 255));
    // The top-left finder: a dark ring, a light ring, a dark centre.
    EXPECT_EQ(code.pixel(quiet, quiet), qRgb(0, 0, 0));
    EXPECT_EQ(code.pixel(quiet + 4, quiet + 4), qRgb(255, 255, 255));
    EXPECT_EQ(code.pixel(quiet + 12, quiet + 12), qRgb(0, 0, 0));
    EXPECT_EQ(code.pixel(code.width() - quiet - 1, quiet), qRgb(0, 0, 0)); // top-right finder
}

TEST(LiveQrCode, everyAddressTheServerOffersTakesTheSmallCodeTheDeskHasRoomFor)
{
    for (const char* address : {"http://127.0.0.1:8080/", "http://192.168.1.20:8080/", "http://255.255.255.255:65535/"})
        EXPECT_EQ(LiveQrCode(QLatin1String(address), 1).width(), 25 + 2 * 4) << address;
}

TEST(LiveSnapshot, onANarrowScreen_carClubAndSingleRunsGiveWayToPlaceNameAndTotal)
{
    LiveInput input;
    std::vector<Entry> entries{Driver(1, QStringLiteral("G3")), Driver(2, QStringLiteral("G3"))};
    for (Entry& e : entries) {
        e.firstName = QStringLiteral("Vorname%1").arg(e.number);
        e.car = QStringLiteral("Kombi");
        e.club = QStringLiteral("MSC");
    }
    std::vector<RunRecord> runs{Timed(1, 1, 61230), Timed(1, 2, 60110)};
    input.scoring = ScoreEvent(input.scoring.rules, entries, runs);
    const auto snapshot = LiveSnapshot::Build(input, 1);

    const struct
    {
        LivePage page;
        const char* shows;
    } cases[] = {
        {LivePage::Results, "<th>Platz</th><th>Nr.</th><th>Name</th><th class=\"n1\">Fahrzeug</th>"
                            "<th class=\"n1\">Verein</th><th class=\"n2\">Lauf 1</th>"},
        {LivePage::Results, "<th>Gesamt</th><th>Abstand zum Ersten</th><th class=\"n1\">Abstand zum Vordermann</th>"},
        {LivePage::Results, "<th class=\"n1\">Verein</th><th class=\"n2\">Klasse</th>"}, // the overall list
        {LivePage::Results, "<td class=\"n1\">Kombi</td><td class=\"n1\">MSC</td><td class=\"n2\">"},
        {LivePage::Results, "</td><td colspan=\"3\">"}, // why a driver is not placed stays in sight
        {LivePage::Results, "@media(max-width:30em){.n2{display:none}}"},
        {LivePage::StartList, "<th>Vorname</th><th class=\"n1\">Fahrzeug</th><th>Klasse</th><th class=\"n1\">Verein</th>"},
        {LivePage::StartList, "<td>Vorname2</td><td class=\"n1\">Kombi</td><td>G3</td>"},
    };
    for (const auto& c : cases)
        EXPECT_TRUE(snapshot->Page(c.page).contains(c.shows)) << c.shows;
}
