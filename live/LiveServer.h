#pragma once

#include "LiveGate.h"
#include "LiveSnapshot.h"

#include <QHostAddress>
#include <QObject>
#include <QString>
#include <QThread>

#include <functional>
#include <memory>
#include <mutex>
#include <optional>

// The read-only results server on a thread of its own. The UI thread
// publishes snapshots; the server's thread only reads the current one, so a
// slow or hostile client never holds up timing. Snapshots are built on a
// third, lower-priority thread, so no answer waits for a build.
//
// Thread contract: every method is for the UI thread; Current() may be
// called from any thread.
class LiveServer : public QObject
{
    Q_OBJECT
public:
    struct Result
    {
        bool ok = false;
        QString message; // German, when not ok
        quint16 port = 0;
    };

    explicit LiveServer(QObject* parent = nullptr);
    // Stops the server; a build under way is finished and joined first.
    ~LiveServer() override;

    // Starts listening (port 0: any free port, for tests); a running server
    // is stopped first. A port in use or an address that is gone: not ok,
    // with a German message.
    Result Start(const QHostAddress& address, quint16 port, const LiveLimits& limits = LiveLimits());
    // Stops serving; snapshots are still built, so a restart serves the
    // latest at once.
    void Stop();
    bool Running() const { return running_; }

    // Hands the event as it stands to the builder's thread, which builds the
    // snapshot and swaps it in; inputs that arrive meanwhile are merged into
    // the latest. Costs the UI thread only the copy of the input.
    void PublishInput(LiveInput input);
    // Swaps in a built snapshot; its version must be above the current one's.
    void Publish(std::shared_ptr<const LiveSnapshot> snapshot);
    std::shared_ptr<const LiveSnapshot> Current() const;

    // Tests: runs on the builder's thread as each build begins, to hold it.
    void SetBeforeBuild(std::function<void()> hook);

private:
    void BuildPending();

    QThread thread_;
    QObject* home_; // lives on thread_; the server objects are its children
    QThread builder_;
    QObject* builderHome_; // lives on builder_; receives the builds
    std::function<void()> beforeBuild_; // only touched on builder_
    bool running_ = false;
    mutable std::mutex mutex_;
    std::shared_ptr<const LiveSnapshot> current_;
    std::optional<LiveInput> pending_; // guarded by mutex_
};
