#pragma once

#include "JournalFeed.h"

#include <QStringList>
#include <vector>

// Remembers what the program told the journal.
class RecordingJournal final : public JournalFeed
{
public:
    struct Shot
    {
        QString command;
        ProtocolRows rows;
    };

    void Record(std::uint32_t tick, const QString& what) override
    {
        ticks.push_back(tick);
        lines.append(what);
    }
    void Record(const QString& what) override { Record(0, what); }
    bool Snapshot(const QString& command, const ProtocolRows& rows, QString* kept = nullptr) override
    {
        shots.push_back({command, rows});
        if (kept)
            *kept = QStringLiteral("/Journal/Vor-") + command + QStringLiteral(".txt");
        return true;
    }

    QStringList lines;
    std::vector<std::uint32_t> ticks;
    std::vector<Shot> shots;
};
