#pragma once

#include "SerialAdapter.h"

#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>
#include <string>

class JournalFeed;
class QTimer;
class TComPort;

// Keeps the light-barrier port in view. It records in the journal when the
// port opens (with the adapter's driver), closes, vanishes and comes back;
// it warns where the adapter cannot serve the barriers as wired; and when
// the open port's device goes away (an adapter pulled) it tells the
// operator and tries to open the port again about once a second, with the
// port's settings unchanged, until the device is back. A port that could
// not be opened at all (no device yet, no permission, not a serial line) is
// told and sought the same way. A port the operator has since deselected or
// changed is left alone.
//
// The owner forwards the port's OnOpen, OnClose and OnGone to PortOpened,
// PortClosed and PortGone.
class BarrierPortWatch : public QObject
{
    Q_OBJECT
public:
    static constexpr int RetryIntervalMs = 1000;

    BarrierPortWatch(TComPort& port, QObject* parent = nullptr);

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

    // The German notice for the main window (loss, else wiring warning);
    // empty when there is nothing to say.
    QString Notice() const;
    std::function<void(const QString& notice)> OnNotice;

    static QString PortName(std::uint8_t port);
    // Why a port could not be opened, in German, with the remedy where
    // there is one.
    static QString OpenFailure(int error, const QString& path);

private:
    void Record(const QString& what);
    void EndWatch();
    void ShowNotice(const QString& before);

    TComPort& port_;
    JournalFeed* journal_ = nullptr;
    QTimer* retryTimer_;
    std::string sysfsRoot_ = "/sys";
    SerialAdapter adapter_;
    std::uint8_t openPort_ = 0;
    std::uint8_t lostPort_ = 0;
    bool neverOpened_ = false; // the sought port has not been open yet
    int lastError_ = 0;        // why the last try to open it failed
    bool runden_ = false;
};
