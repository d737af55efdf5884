#pragma once

#include "SerialAdapter.h"

#include <QObject>
#include <QString>
#include <cstdint>
#include <string>

class JournalFeed;
class QTimer;
class TComPort;

// The light-barrier port: it owns the serial component, set up for the
// barriers' two modem lines, opens it (or the fallback port where the
// settings name none), reopens it after a short pause when the settings
// change, and keeps it in view. It records in the journal when the
// port opens (with the adapter's driver), closes, vanishes and comes back;
// it warns where the adapter cannot serve the barriers as wired; and when
// the open port's device goes away (an adapter pulled) it tells the
// operator and tries to open the port again about once a second, with the
// port's settings unchanged, until the device is back. A port that could
// not be opened at all (no device yet, no permission, not a serial line) is
// told and sought the same way. A port the operator has since deselected or
// changed is left alone.
//
// The port's line events (OnCTS, OnDSR) go to the owner's one handler.
class BarrierPort : public QObject
{
    Q_OBJECT
public:
    static constexpr int RetryIntervalMs = 1000;
    static constexpr int ReopenPauseMs = 50;

    explicit BarrierPort(QObject* parent = nullptr);
    ~BarrierPort() override;

    TComPort& Com() const { return port_; }
    // The port opened when the settings name none (the developer's barrier
    // simulation); the stored setting is left as it is.
    void SetFallbackPort(std::uint8_t port) { fallbackPort_ = port; }
    // Opens the configured port (0: the fallback, if any). One that cannot
    // be opened leaves the barriers inactive; the watch says why and keeps
    // looking for it.
    void Open(std::uint8_t configured);
    // Closes the port and, after a pause of ReopenTimer, opens the one
    // configured; 0 ("Kein") leaves it closed and stops looking for a lost one.
    void Reopen(std::uint8_t configured);
    // The pause's handler: opens the port last configured.
    void TimerPortReopenTimer();
    QTimer* ReopenTimer() const { return reopenTimer_; }
    // The probed ports (bit n-1 for port n) with the one held open here,
    // which the probe cannot open, and the one this user may not open: it
    // stays in the settings list, so "OK" never turns it into "Kein" while
    // the operator is still fixing the permission.
    std::uint32_t WithOwnPort(std::uint32_t probed) const;

    void SetJournal(JournalFeed* journal) { journal_ = journal; }
    // Where the tty drivers are looked up; "/sys" but for tests.
    void SetSysfsRoot(const std::string& root) { sysfsRoot_ = root; }
    // The wiring warning depends on the mode.
    void SetRunden(bool on);

    void PortOpened();
    void PortClosed();
    void PortGone();
    // Opening the port failed with this errno.
    void PortFailed(int error);
    // The retry timer's handler: stops when the operator has moved on,
    // else tries to open the port again.
    void RetryTimerTimer();

    bool Lost() const { return lostPort_ != 0; }
    QTimer* RetryTimer() const { return retryTimer_; }
    // The adapter of the port last opened.
    const SerialAdapter& Adapter() const { return adapter_; }

    // The German notice for the main window (loss, with the remedy when
    // permission is missing, else wiring warning); empty when there is
    // nothing to say.
    QString Notice() const;

    static QString PortName(std::uint8_t port);
    // Why a port could not be opened, in German, with the remedy where
    // there is one.
    static QString OpenFailure(int error, const QString& path);
    // EACCES or EPERM: the user may not open the device.
    static bool IsPermissionError(int error);

Q_SIGNALS:
    // The port is open and serves the barriers; it closed, or could not open.
    void Opened();
    void Closed();
    // The notice changed (empty: nothing left to say).
    void NoticeChanged(const QString& notice);

private:
    void Record(const QString& what);
    void EndWatch();
    void ShowNotice(const QString& before);

    TComPort& port_; // a child of this
    JournalFeed* journal_ = nullptr;
    QTimer* retryTimer_;
    QTimer* reopenTimer_;
    std::uint8_t fallbackPort_ = 0;
    std::uint8_t configured_ = 0;
    std::string sysfsRoot_ = "/sys";
    SerialAdapter adapter_;
    std::uint8_t openPort_ = 0;
    std::uint8_t lostPort_ = 0;
    bool neverOpened_ = false; // the sought port has not been open yet
    int lastError_ = 0;        // why the last try to open it failed
    bool runden_ = false;
};
