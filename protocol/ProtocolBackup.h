#pragma once

#include "ProtocolRow.h"

#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>

// Keeps the automatic backup file up to date: every change of the protocol
// is written to it, so a crash or a power cut loses nothing. The changes of
// one command (a stop writes cells and ranks) are written once, when control
// returns to the event loop. A failed write never disturbs timing and never
// touches the previous backup; it is reported through OnStatus.
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
    bool Scheduled() const { return timer_.isActive(); }
    // Writes at once (at exit); a scheduled write is then not needed. False
    // when neither the file nor its fallback could be written.
    bool WriteNow();
    // Whether the last write reached a file (either one).
    bool LastWriteSaved() const { return lastSaved_; }

    // The operator's notice: "Sicherung fehlgeschlagen: ..." after a failed
    // write, empty again after the next one that succeeds; the remark first.
    QString Notice() const;
    // Called whenever the notice changes.
    std::function<void(const QString& notice)> OnStatus;

private:
    bool WriteFallback(const ProtocolRows& rows, QString* reason);
    void SetFailure(const QString& failure);

    QString path_;
    QString fallback_;
    std::function<ProtocolRows()> rows_;
    QTimer timer_;
    bool keepOff_ = false;
    bool lastSaved_ = true;
    QString remark_;
    QString failure_;
};
