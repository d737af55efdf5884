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
    bool Snapshot(const QString& command, const ProtocolRows& rows, QString* error = nullptr,
                  QString* kept = nullptr) override
    {
        if (failSnapshots) {
            if (error)
                *error = QStringLiteral("Datenträger voll");
            return false;
        }
        shots.push_back({command, rows});
        if (kept)
            *kept = QStringLiteral("/Journal/Vor-") + command + QStringLiteral(".txt");
        return true;
    }
    bool KeepBytes(const QString& command, const QByteArray& bytes, QString* kept = nullptr) override
    {
        kepts.push_back({command, bytes});
        if (kept)
            *kept = QStringLiteral("Vor-") + command + QStringLiteral(".txt");
        return !failSnapshots;
    }

    QStringList lines;
    std::vector<std::uint32_t> ticks;
    std::vector<Shot> shots;
    std::vector<std::pair<QString, QByteArray>> kepts;
    // Every snapshot fails, as on a full disk.
    bool failSnapshots = false;
};
