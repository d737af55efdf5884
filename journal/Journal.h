#pragma once

#include "JournalFeed.h"

#include <QDate>
#include <QFile>
#include <QObject>
#include <QString>

class Clock;
class QDateTime;

// The event journal of the desk: one append-only UTF-8 text file a day
// ("Journal-2026-12-08.txt"), one line an entry - local date and time with
// milliseconds, the tick, what happened - and, in the same folder, a
// protocol text file of the rows before every command that removes or
// replaces results ("Vor-Laden-2026-12-08-10-15-03.txt"), to be brought back
// with "Öffnen".
//
// Every line is written and flushed at once, so a crash loses at most the
// line being written; a restart continues the day's file on a new line.
// Nothing here ever throws or blocks on a failure: the entry is dropped and
// the operator is told once, until a write succeeds again.
class Journal final : public QObject, public JournalFeed
{
    Q_OBJECT
public:
    static constexpr int KeptSnapshots = 500;
    static constexpr int KeptJournalDays = 60;

    Journal(const QString& folder, const Clock& clock, QObject* parent = nullptr);

    // The per-user data folder's "Journal".
    static QString DefaultFolder();
    QString Folder() const { return folder_; }
    QString DayFileName(const QDate& day) const;
    // "Vor-<command>-yyyy-MM-dd-hh-mm-ss.txt", blanks in the command as "-".
    static QString SnapshotName(const QString& command, const QDateTime& when);
    // The operator's message when the snapshot before command could not be
    // kept (why) and the command therefore did not run.
    static QString RefusalText(const QString& command, const QString& why);
    // Whether a file name is a day's journal ("Journal-2026-12-08.txt").
    static bool IsDayFileName(const QString& fileName);

    void Record(std::uint32_t tick, const QString& what) override;
    void Record(const QString& what) override;
    // Skipped (and true) when the rows hold no run. An existing snapshot of
    // the same second is never overwritten: the name gets "-2", "-3", ...
    bool Snapshot(const QString& command, const ProtocolRows& rows, QString* error = nullptr,
                  QString* kept = nullptr) override;
    bool KeepBytes(const QString& command, const QByteArray& bytes, QString* kept = nullptr) override;

    // Keeps the newest KeptSnapshots snapshots and the journal files of the
    // last KeptJournalDays days; older ones are removed, the oldest first.
    // Files of other names are left alone.
    void Prune();

    // Every current failure in German, one a line; empty while all writes
    // work. A journal file deleted while the program runs (its folder
    // removed) is begun anew, and that stays told, since its earlier entries
    // are gone.
    QString Notice() const;

Q_SIGNALS:
    // The notice changed.
    void NoticeChanged(const QString& notice);

private:
    enum Part { JournalPart, SnapshotPart, VanishedPart, PartCount };

    bool OpenDay(const QDate& day);
    bool StillLinked() const;
    bool WriteSnapshot(const QString& command, const QByteArray& bytes, QString* error, QString* kept);
    void SetFailure(Part part, const QString& text);
    void Failed(Part part, const QString& reason);
    void Succeeded(Part part);
    void PruneSnapshots();
    void PruneJournalDays(const QDate& today);

    QString folder_;
    const Clock& clock_;
    QFile file_;
    QDate day_;
    bool needsNewLine_ = false;
    QString failure_[PartCount];
};
