#pragma once

#include "ProtocolRow.h"

#include <QObject>
#include <QString>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <memory>

// Keeps the automatic backup file up to date: every change of the protocol
// is written to it, so a crash or a power cut loses nothing. The changes of
// one command (a stop writes cells and ranks) are taken once, when control
// returns to the event loop, as a copy of the rows; a writer thread writes
// the copies in order, so encoding and flushing never hold up the desk. A
// copy not yet started gives way to a newer one. A failed write never
// disturbs timing and never touches the previous backup; it is reported
// through StatusChanged once the writer is done.
//
// When the file cannot be written (its folder deleted, the disk full) the
// same rows go to the fallback file in the per-user folder, and the next
// write tries the usual place again; the start reads whichever was written
// last.
class ProtocolBackup : public QObject
{
    Q_OBJECT

public:
    // rows gives the whole protocol (header row first), read at each write.
    ProtocolBackup(const QString& path, std::function<ProtocolRows()> rows, QObject* parent = nullptr);
    // The same with the rows as a shared snapshot: handing them over copies
    // nothing on this thread.
    ProtocolBackup(const QString& path, std::function<std::shared_ptr<const ProtocolRows>()> rows,
                   QObject* parent = nullptr);
    // Waits for the writer's last copy.
    ~ProtocolBackup() override;

    const QString& Path() const { return path_; }
    void SetFallback(const QString& fallbackPath) { fallback_ = fallbackPath; }
    const QString& Fallback() const { return fallback_; }
    // The file at Path() holds something that must not be lost (it could
    // not be read): it is never written over, every write goes to the
    // fallback.
    void KeepOffPath() { keepOff_ = true; }
    // Something the operator must know about the backup for the rest of the
    // session (it was unreadable or foreign at start); shown with the notice.
    void SetRemark(const QString& remark);

    // A change happened: write once the current command is done.
    void Schedule();
    // A write is still to come: the command's end, or the writer's result.
    bool Scheduled() const { return timer_.isActive() || applied_ < handedOver_; }
    // Blocks until the writer is idle and its result is reported.
    void WaitForWrites();
    // Writes the rows as they are now, at once and on this thread (at exit),
    // after the writer's current copy; a scheduled write is then not needed.
    // False when neither the file nor its fallback could be written.
    bool WriteNow();
    // Whether the last write reached a file (either one).
    bool LastWriteSaved() const { return lastSaved_; }

    // The operator's notice: "Sicherung fehlgeschlagen: ..." after a failed
    // write, empty again after the next one that succeeds; the remark first.
    QString Notice() const;

Q_SIGNALS:
    // The notice changed.
    void StatusChanged(const QString& notice);

private:
    class Writer;
    struct Job;
    struct Outcome;

    Job MakeJob();
    void HandOver();
    void Apply(const Outcome& outcome);
    void SetFailure(const QString& failure);

    QString path_;
    QString fallback_;
    std::function<std::shared_ptr<const ProtocolRows>()> rows_;
    QTimer timer_;
    bool keepOff_ = false;
    bool lastSaved_ = true;
    // Every write is numbered; only a result newer than the last one shown
    // is shown.
    std::uint64_t handedOver_ = 0;
    std::uint64_t applied_ = 0;
    std::unique_ptr<Writer> writer_;
    QString remark_;
    QString failure_;
};
