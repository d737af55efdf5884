#include "ProtocolBackup.h"

#include "ProtocolFile.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

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
    const ProtocolRows rows = rows_ ? rows_() : ProtocolRows();
    QString reason;
    if (!keepOff_ && SaveProtocolText(path_, rows, &reason)) {
        lastSaved_ = true;
        SetFailure({});
        return true;
    }
    QString fallbackReason;
    lastSaved_ = WriteFallback(rows, &fallbackReason);
    if (keepOff_)
        SetFailure(lastSaved_ ? QString() : QStringLiteral("Sicherung fehlgeschlagen: ") + fallbackReason);
    else if (lastSaved_)
        SetFailure(QStringLiteral("Sicherung fehlgeschlagen: %1 (%2) – gesichert in %3")
                       .arg(reason, QDir::toNativeSeparators(QFileInfo(path_).absolutePath()),
                            QDir::toNativeSeparators(fallback_)));
    else if (fallback_.isEmpty() || fallback_ == path_)
        SetFailure(QStringLiteral("Sicherung fehlgeschlagen: ") + reason);
    else
        SetFailure(QStringLiteral("Sicherung fehlgeschlagen: %1, auch im Ersatzordner (%2)").arg(reason, fallbackReason));
    return lastSaved_;
}

bool ProtocolBackup::WriteFallback(const ProtocolRows& rows, QString* reason)
{
    if (fallback_.isEmpty() || fallback_ == path_) {
        *reason = QStringLiteral("kein anderer Ordner für die Sicherung");
        return false;
    }
    if (!QDir().mkpath(QFileInfo(fallback_).absolutePath())) {
        *reason = QStringLiteral("Ordner lässt sich nicht anlegen");
        return false;
    }
    return SaveProtocolText(fallback_, rows, reason);
}

void ProtocolBackup::SetRemark(const QString& remark)
{
    const QString before = Notice();
    remark_ = remark;
    if (Notice() != before && OnStatus)
        OnStatus(Notice());
}

void ProtocolBackup::SetFailure(const QString& failure)
{
    const QString before = Notice();
    failure_ = failure;
    if (Notice() != before && OnStatus)
        OnStatus(Notice());
}

QString ProtocolBackup::Notice() const
{
    QStringList shown;
    for (const QString& text : {remark_, failure_}) {
        if (!text.isEmpty())
            shown << text;
    }
    return shown.join(QLatin1Char('\n'));
}
