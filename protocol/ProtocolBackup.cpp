#include "ProtocolBackup.h"

#include "ProtocolFile.h"

ProtocolBackup::ProtocolBackup(const QString& path, std::function<ProtocolRows()> rows, QObject* parent)
    : QObject(parent)
    , path_(path)
    , rows_(std::move(rows))
{
    // Zero interval: the write waits only for the running command to end.
    timer_.setSingleShot(true);
    timer_.setInterval(0);
    connect(&timer_, &QTimer::timeout, this, &ProtocolBackup::WriteNow);
}

void ProtocolBackup::Schedule()
{
    if (!timer_.isActive())
        timer_.start();
}

bool ProtocolBackup::WriteNow()
{
    timer_.stop();
    QString reason;
    const bool written = SaveProtocolText(path_, rows_ ? rows_() : ProtocolRows(), &reason);
    SetNotice(written ? QString() : QStringLiteral("Sicherung fehlgeschlagen: ") + reason);
    return written;
}

void ProtocolBackup::SetNotice(const QString& notice)
{
    if (notice == notice_)
        return;
    notice_ = notice;
    if (OnStatus)
        OnStatus(notice_);
}
