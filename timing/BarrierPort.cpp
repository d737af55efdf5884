#include "BarrierPort.h"

#include "JournalFeed.h"
#include "ProbeSerialPorts.h"
#include "SerialPortPath.h"
#include "TComPort.h"

#include "EComHandle.h"
#include "EComState.h"

#include <QTimer>

#include <cerrno>
#include <cstring>

BarrierPort::BarrierPort(QObject* parent)
    : QObject(parent)
    , port_(*new TComPort(this))
    , retryTimer_(new QTimer(this))
    , reopenTimer_(new QTimer(this))
{
    // The barriers loop DTR back into DSR and RTS into CTS; only those two
    // line changes are of interest, no data ever crosses the line.
    port_.setObjectName(QStringLiteral("ComPort"));
    port_.SetBaudRate(br9600);
    port_.SetBaudRateUser(28800);
    port_.SetPort(0);
    port_.SetParity(prNone);
    port_.SetStopBits(sbOneStopBit);
    port_.SetFlowControl(fcRtsCts);
    port_.SetDataBits(5);
    port_.SetEvents({evCTS, evDSR});
    port_.SetEnableDTR(true);
    port_.SetWriteBufSize(64);
    port_.SetReadBufSize(64);
    port_.OnOpen = [this](TComPort*) { PortOpened(); };
    port_.OnClose = [this](TComPort*) { PortClosed(); };
    port_.OnGone = [this](TComPort*) { PortGone(); };
    // A timer rather than a sleep: the clocks keep running during the pause.
    reopenTimer_->setObjectName(QStringLiteral("TimerPortReopen"));
    reopenTimer_->setSingleShot(true);
    reopenTimer_->setInterval(ReopenPauseMs);
    connect(reopenTimer_, &QTimer::timeout, this, &BarrierPort::TimerPortReopenTimer);

    retryTimer_->setObjectName(QStringLiteral("TimerPortRetry"));
    retryTimer_->setInterval(RetryIntervalMs);
    // A coarse timer: an idle desk with a lost adapter wakes once a second.
    retryTimer_->setTimerType(Qt::CoarseTimer);
    connect(retryTimer_, &QTimer::timeout, this, &BarrierPort::RetryTimerTimer);
}

BarrierPort::~BarrierPort()
{
    // Closed while this is whole: closing calls back into the watch.
    port_.Close();
}

void BarrierPort::Open(std::uint8_t configured)
{
    configured_ = configured;
    const std::uint8_t port = configured != 0 ? configured : fallbackPort_;
    if (port == 0)
        return;
    port_.SetPort(port);
    try {
        port_.Open();
    } catch (const EComHandle& e) {
        Q_EMIT Closed();
        PortFailed(e.ErrorCode());
    } catch (const EComState& e) {
        Q_EMIT Closed();
        PortFailed(e.ErrorCode());
    }
}

void BarrierPort::Reopen(std::uint8_t configured)
{
    configured_ = configured;
    try {
        port_.Close();
    } catch (const std::exception&) {
        // A port that fails to close is opened anew all the same.
    }
    if (configured != 0)
        reopenTimer_->start();
    else
        port_.SetPort(0); // "Kein": a lost adapter is no longer looked for
}

std::uint32_t BarrierPort::WithOwnPort(std::uint32_t probed) const
{
    if (port_.Connected())
        return AddAvailablePort(probed, port_.Port());
    if (lostPort_ != 0 && (lastError_ == EACCES || lastError_ == EPERM))
        return AddAvailablePort(probed, lostPort_);
    return probed;
}

void BarrierPort::TimerPortReopenTimer()
{
    Open(configured_);
}

QString BarrierPort::PortName(std::uint8_t port)
{
    return PortDisplayName(port);
}

void BarrierPort::SetRunden(bool on)
{
    const QString before = Notice();
    runden_ = on;
    ShowNotice(before);
}

void BarrierPort::PortOpened()
{
    Q_EMIT Opened();
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

void BarrierPort::PortClosed()
{
    Q_EMIT Closed();
    const QString before = Notice();
    if (lostPort_ == 0)
        Record(QStringLiteral("Lichtschranken-Port geschlossen (%1)").arg(PortName(openPort_)));
    openPort_ = 0;
    adapter_ = {};
    ShowNotice(before);
}

void BarrierPort::PortGone()
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

void BarrierPort::PortFailed(int error)
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

QString BarrierPort::OpenFailure(int error, const QString& path)
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

void BarrierPort::RetryTimerTimer()
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
    if (error != 0 && neverOpened_ && error != lastError_) {
        PortFailed(error);
        return;
    }
    const QString before = Notice();
    // An adapter that comes back but may not be opened needs the operator.
    if (error != lastError_ && IsPermissionError(error))
        Record(QStringLiteral("Lichtschranken getrennt (%1): %2")
                   .arg(PortName(lostPort_), OpenFailure(error, QString::fromStdString(SerialPortPath(lostPort_)))));
    lastError_ = error;
    ShowNotice(before);
}

bool BarrierPort::IsPermissionError(int error)
{
    return error == EACCES || error == EPERM;
}

void BarrierPort::EndWatch()
{
    const QString before = Notice();
    Record(QStringLiteral("Lichtschranken-Port %1 wird nicht mehr gesucht").arg(PortName(lostPort_)));
    lostPort_ = 0;
    neverOpened_ = false;
    retryTimer_->stop();
    ShowNotice(before);
}

QString BarrierPort::Notice() const
{
    if (lostPort_ != 0) {
        const QString state = (neverOpened_ ? QStringLiteral("Lichtschranken nicht verbunden (%1)")
                                            : QStringLiteral("Lichtschranken getrennt (%1)"))
                                  .arg(PortName(lostPort_));
        // Only the operator can mend a missing permission: the remedy belongs on the screen.
        if (IsPermissionError(lastError_))
            return state + QStringLiteral(": ") +
                   OpenFailure(lastError_, QString::fromStdString(SerialPortPath(lostPort_)));
        return state;
    }
    if (openPort_ != 0)
        return BarrierWiringWarning(adapter_, PortName(openPort_), runden_);
    return {};
}

void BarrierPort::ShowNotice(const QString& before)
{
    const QString now = Notice();
    if (now != before)
        Q_EMIT NoticeChanged(now);
}

void BarrierPort::Record(const QString& what)
{
    if (journal_)
        journal_->Record(what);
}
