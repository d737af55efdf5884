#pragma once

#include "ProtocolRow.h"

#include <QString>
#include <cstdint>

// What the run control, the barrier input and the main window tell the
// event journal. Both calls return at once and never fail towards the
// caller: a journal that cannot be written must not hold up timing or a
// command.
class JournalFeed
{
public:
    virtual ~JournalFeed() = default;

    // One entry, in German, stamped with the given tick (the moment the
    // event itself was taken, for example a lane's stop tick).
    virtual void Record(std::uint32_t tick, const QString& what) = 0;
    // The same, stamped with the tick of now.
    virtual void Record(const QString& what) = 0;
    // Keeps rows (the header row first, as ProtocolModel::Rows gives them)
    // as a protocol text file before `command` removes or replaces results.
    // False, with the German reason in *error, when it could not be kept:
    // the command must not run then. kept, if given, gets the file's path.
    virtual bool Snapshot(const QString& command, const ProtocolRows& rows, QString* error = nullptr,
                          QString* kept = nullptr) = 0;
    // Keeps a file's bytes as they are (a backup this program did not
    // write) under a snapshot name; the name kept in *kept, false when
    // that failed.
    virtual bool KeepBytes(const QString& command, const QByteArray& bytes, QString* kept = nullptr) = 0;
};
