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
class ProtocolBackup : public QObject
{
    Q_OBJECT

public:
    // rows gives the whole protocol (header row first), read at each write.
    ProtocolBackup(const QString& path, std::function<ProtocolRows()> rows, QObject* parent = nullptr);

    const QString& Path() const { return path_; }

    // A change happened: write once the current command is done.
    void Schedule();
    bool Scheduled() const { return timer_.isActive(); }
    // Writes at once (at exit); a scheduled write is then not needed.
    bool WriteNow();

    // The operator's notice: "Sicherung fehlgeschlagen: ..." after a failed
    // write, empty again after the next one that succeeds.
    const QString& Notice() const { return notice_; }
    // Called whenever the notice changes.
    std::function<void(const QString& notice)> OnStatus;

private:
    void SetNotice(const QString& notice);

    QString path_;
    std::function<ProtocolRows()> rows_;
    QTimer timer_;
    QString notice_;
};
