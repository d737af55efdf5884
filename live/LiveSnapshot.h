#pragma once

#include "ResultLists.h"
#include "Scoring.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

// What the results server shows, frozen at one moment. It is built in one
// pass after a change, off the UI thread; the server's threads only read it,
// so a client never waits for timing and timing never waits for a client.

// A lane as the desk shows it now.
struct LiveLane
{
    int lane = 0;
    QString startNumber;
    bool running = false; // false: it shows a final time, or is ready
    bool ready = false;   // idle: the number typed for the car lined up
};

// Everything a snapshot is made from, as plain values.
struct LiveInput
{
    ScoringResult scoring;
    Posting posting;
    std::vector<LiveLane> lanes;
    std::vector<RunRecord> lastRuns; // newest first
};

// The pages the server offers, by route.
enum class LivePage { Track, Results, StartList };

class LiveSnapshot
{
public:
    // version becomes the ETag; it must grow with each snapshot published.
    static std::shared_ptr<const LiveSnapshot> Build(const LiveInput& input, std::uint64_t version);
    // The snapshot before the first change: an empty event.
    static std::shared_ptr<const LiveSnapshot> Empty();

    std::uint64_t Version() const { return version_; }
    // A quoted strong ETag, "\"v42\"".
    const QByteArray& ETag() const { return etag_; }
    // The whole page, and its <main> alone for the page's update script.
    const QByteArray& Page(LivePage page) const { return pages_[static_cast<int>(page)]; }
    const QByteArray& Fragment(LivePage page) const { return fragments_[static_cast<int>(page)]; }
    const QByteArray& Json() const { return json_; }

    // The inline script of every page; its hash goes into the CSP header.
    static const QByteArray& Script();

private:
    std::uint64_t version_ = 0;
    QByteArray etag_;
    QByteArray pages_[3];
    QByteArray fragments_[3];
    QByteArray json_;
};
