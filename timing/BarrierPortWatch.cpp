#include "BarrierPortWatch.h"

#include "JournalFeed.h"
#include "SerialPortPath.h"
#include "TComPort.h"

#include "EComHandle.h"
#include "EComState.h"

#include <QTimer>

#include <cerrno>
#include <cstring>

BarrierPortWatch::BarrierPortWatch(TComPort& port, QObject* parent)
    : QObject(parent)
    , port_(port)
    , retryTimer_(new QTimer(this))
{
    retryTimer_->setObjectName(QStringLiteral("TimerPortRetry"));
    retryTimer_->setInterval(RetryIntervalMs);
    // A coarse timer: an idle desk with a lost adapter wakes once a second.
    retryTimer_->setTimerType(Qt::CoarseTimer);
    connect(retryTimer_, &QTimer::timeout, this, &BarrierPortWatch::RetryTimerTimer);
}

QString BarrierPortWatch::PortName(std::uint8_t port)
{
    return PortDisplayName(port);
}

void BarrierPortWatch::SetRunden(bool on)
{
    const QString before = Notice();
    runden_ = on;
    ShowNotice(before);
}

void BarrierPortWatch::PortOpened()
{
    const QString before = Notice();
    openPort_ = port_.Port();
    const std::string path = SerialPortPath(openPort_);
    adapter_ = FindSerialAdapter(path, sysfsRoot_);
    if (lostPort_ != 0) {
        Record((neverOpened_ ? QStringLiteral("Lichtschranken verbunden (%1)")
                             : QStringLiteral("Lichtschranken wieder verbunden (%1)"))
                   .arg(PortName(lostPort_)));
        lostPort_ = 0;
        neverOpened_ = false;
        retryTimer_->stop();
    }
    const QString latency = AdapterLatency(adapter_);
    Record(QStringLiteral("Lichtschranken-Port geöffnet: %1 (%2), %3")
               .arg(PortName(openPort_), QString::fromStdString(path), AdapterDescription(adapter_))
           + (latency.isEmpty() ? QString() : QStringLiteral(", ") + latency));
    const QString warning = BarrierWiringWarning(adapter_, PortName(openPort_), runden_);
    if (!warning.isEmpty())
        Record(warning);
    ShowNotice(before);
}

void BarrierPortWatch::PortClosed()
{
    const QString before = Notice();
    if (lostPort_ == 0)
        Record(QStringLiteral("Lichtschranken-Port geschlossen (%1)").arg(PortName(openPort_)));
    openPort_ = 0;
    adapter_ = {};
    ShowNotice(before);
}

void BarrierPortWatch::PortGone()
{
    const QString before = Notice();
    lostPort_ = port_.Port();
    neverOpened_ = false;
    lastError_ = 0;
    Record(QStringLiteral("Lichtschranken getrennt (%1): Gerät verschwunden, neuer Versuch jede Sekunde")
               .arg(PortName(lostPort_)));
    retryTimer_->start();
    ShowNotice(before);
}

void BarrierPortWatch::PortFailed(int error)
{
    const QString before = Notice();
    // A port that was open before and vanished stays "getrennt".
    if (lostPort_ != port_.Port()) {
        lostPort_ = port_.Port();
        neverOpened_ = true;
    }
    lastError_ = error;
    Record(QStringLiteral("Lichtschranken nicht verbunden (%1): %2, neuer Versuch jede Sekunde")
               .arg(PortName(lostPort_), OpenFailure(error, QString::fromStdString(SerialPortPath(lostPort_)))));
    retryTimer_->start();
    ShowNotice(before);
}

QString BarrierPortWatch::OpenFailure(int error, const QString& path)
{
    switch (error) {
    case ENOENT:
    case ENODEV:
    case ENXIO:
        return QStringLiteral("Gerät %1 nicht vorhanden").arg(path);
    case EACCES:
    case EPERM:
        return QStringLiteral("keine Berechtigung für %1 - Benutzer in die Gruppe dialout aufnehmen "
                              "(sudo adduser $USER dialout) und neu anmelden")
            .arg(path);
    case ENOTTY:
        return QStringLiteral("%1 ist keine serielle Schnittstelle").arg(path);
    case EBUSY:
        return QStringLiteral("%1 wird von einem anderen Programm benutzt").arg(path);
    default:
        return QStringLiteral("%1: Fehler %2 (%3)")
            .arg(path)
            .arg(error)
            .arg(QString::fromLocal8Bit(std::strerror(error)));
    }
}

void BarrierPortWatch::RetryTimerTimer()
{
    if (lostPort_ == 0) {
        retryTimer_->stop();
        return;
    }
    // The operator chose "Kein" or another port, or opened it again himself.
    if (port_.Port() != lostPort_ || port_.Connected()) {
        EndWatch();
        return;
    }
    int error = 0;
    try {
        port_.Open();
    } catch (const EComHandle& e) {
        error = e.ErrorCode();
    } catch (const EComState& e) {
        error = e.ErrorCode();
    }
    // Still missing: said again only when the reason changes.
    if (error != 0 && neverOpened_ && error != lastError_)
        PortFailed(error);
    lastError_ = error;
}

void BarrierPortWatch::EndWatch()
{
    const QString before = Notice();
    Record(QStringLiteral("Lichtschranken-Port %1 wird nicht mehr gesucht").arg(PortName(lostPort_)));
    lostPort_ = 0;
    neverOpened_ = false;
    retryTimer_->stop();
    ShowNotice(before);
}

QString BarrierPortWatch::Notice() const
{
    if (lostPort_ != 0)
        return (neverOpened_ ? QStringLiteral("Lichtschranken nicht verbunden (%1)")
                             : QStringLiteral("Lichtschranken getrennt (%1)"))
            .arg(PortName(lostPort_));
    if (openPort_ != 0)
        return BarrierWiringWarning(adapter_, PortName(openPort_), runden_);
    return {};
}

void BarrierPortWatch::ShowNotice(const QString& before)
{
    const QString now = Notice();
    if (now != before && OnNotice)
        OnNotice(now);
}

void BarrierPortWatch::Record(const QString& what)
{
    if (journal_)
        journal_->Record(what);
}
