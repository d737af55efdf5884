#include "LiveResultsDesk.h"

#include "EventBook.h"
#include "RunControl.h"
#include "TFrame1.h"
#include "JournalFeed.h"
#include "LiveServer.h"
#include "ProtocolModel.h"
#include "TAppSettings.h"

#include <QNetworkInterface>

namespace {

constexpr int kLastRuns = 10;

// The address a phone should open: the chosen one, or for "alle" the
// machine's first address on a network.
QString ShownHost(const QHostAddress& bound)
{
    if (bound != QHostAddress::Any)
        return bound.toString();
    for (const QHostAddress& a : QNetworkInterface::allAddresses())
        if (a.protocol() == QAbstractSocket::IPv4Protocol && !a.isLoopback())
            return a.toString();
    return QStringLiteral("127.0.0.1");
}

} // namespace

LiveResultsDesk::LiveResultsDesk(EventBook* book, RunControl* runControl, QObject* parent)
    : QObject(parent), book_(book), runControl_(runControl), server_(new LiveServer(this))
{
    publish_.setSingleShot(true);
    publish_.setInterval(0);
    connect(&publish_, &QTimer::timeout, this, &LiveResultsDesk::Publish);
    auto later = qOverload<>(&QTimer::start);
    connect(book_, &EventBook::Changed, &publish_, later);
    if (!runControl_)
        return;
    // Everything the track page shows of the lanes: START, STOPP, reset,
    // a start number typed, the mode; and the protocol (UNFALL, hand edits,
    // a load: one signal per operation, never one per row).
    connect(runControl_, &RunControl::RunStarted, &publish_, later);
    connect(runControl_, &RunControl::RunFinished, &publish_, later);
    connect(runControl_, &RunControl::RunVoided, &publish_, later);
    connect(runControl_, &RunControl::RundenModeSet, &publish_, later);
    for (int lane = 1; lane <= 2; ++lane) {
        connect(runControl_->Lane(lane), &TFrame1::StartNumberChange, &publish_, later);
        connect(runControl_->Lane(lane), &TFrame1::ResultCleared, &publish_, later);
    }
    connect(runControl_->Protocol(), &ProtocolModel::Changed, &publish_, later);
}

LiveResultsDesk::~LiveResultsDesk() = default;

void LiveResultsDesk::Apply(const TAppSettings& settings)
{
    const QString wanted = settings.LiveResults
        ? QStringLiteral("%1 %2").arg(settings.LivePort).arg(settings.LiveAddress) : QString();
    if (wanted == served_)
        return;
    if (server_->Running()) {
        server_->Stop();
        Record(QStringLiteral("Live-Ergebnisse beendet"));
    }
    served_ = wanted;
    address_.clear();
    if (wanted.isEmpty())
        return;
    const QHostAddress bound = settings.LiveAddress == QLatin1String("alle") ? QHostAddress(QHostAddress::Any)
                                                                            : QHostAddress(settings.LiveAddress);
    if (bound.isNull()) {
        const QString notice =
            QStringLiteral("Live-Ergebnisse: Die Adresse %1 ist nicht verfügbar. Die Zeitnahme läuft weiter.")
                .arg(settings.LiveAddress);
        Record(notice);
        Q_EMIT Notice(notice);
        return;
    }
    const LiveServer::Result started = server_->Start(bound, quint16(settings.LivePort));
    if (!started.ok) {
        Record(started.message);
        Q_EMIT Notice(started.message);
        return;
    }
    address_ = QStringLiteral("http://%1:%2/").arg(ShownHost(bound)).arg(started.port);
    Record(QStringLiteral("Live-Ergebnisse gestartet: %1 (Adresse %2)").arg(address_, settings.LiveAddress));
    Publish();
}

void LiveResultsDesk::Publish()
{
    if (!server_->Running())
        return;
    LiveInput input;
    const std::vector<Entry> entries(book_->Entries().begin(), book_->Entries().end());
    input.scoring = ScoreEvent(book_->Rules(), entries, book_->Runs());
    for (int lane = 1; runControl_ && lane <= 2; ++lane) {
        const TFrame1* frame = runControl_->Lane(lane);
        // In Runden mode lane 2 shows the best time, not a car.
        if (lane == 2 && runControl_->RundenMode() && !frame->Running() && !frame->ShowsResult())
            continue;
        input.lanes.push_back(LiveLane{lane, frame->StartNumberText(), frame->Running(),
                                       !frame->Running() && !frame->ShowsResult()});
    }
    for (const PostedList& posted : book_->Posted())
        input.posting = Posting{posted.official, posted.posted};
    for (auto run = book_->Runs().rbegin(); run != book_->Runs().rend() && int(input.lastRuns.size()) < kLastRuns; ++run)
        if (!run->replaced)
            input.lastRuns.push_back(*run);
    server_->PublishInput(std::move(input));
    Q_EMIT Published();
}

void LiveResultsDesk::Record(const QString& what)
{
    if (journal_)
        journal_->Record(what);
}
