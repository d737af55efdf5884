#pragma once

#include <QObject>
#include <cstdint>
#include <functional>

class QAction;
class QTimer;
class TImage;
class TLbSpeedButton;

// Turns the serial port's CTS (finish) and DSR (start) line changes into the
// START and STOPP commands. Repeated reports of one status are dropped, the
// evaluation rule (Alg) chooses whether a line counts when it goes on or off,
// a START lockout of 1 s and a STOPP lockout (WaitStart) suppress bouncing
// barriers, and the STOPP barrier lock keeps the finish barrier blocked
// while no car can be stopped by it.
class LightBarrierInput : public QObject
{
    Q_OBJECT
public:
    static constexpr std::uint32_t CtsOn = 0x10;
    static constexpr std::uint32_t DsrOn = 0x20;
    static constexpr std::uint32_t NoStatus = 0x55555555;

    // imageLSstop is the lock indicator; its tag holds the state
    // (0 blocked, 1 armed).
    LightBarrierInput(QAction* mStart, QAction* mStop, TLbSpeedButton* bSTART, TImage* imageLSstop,
                      QObject* parent = nullptr);

    // Reads the port's modem status word at the moment of the call.
    std::function<std::uint32_t()> ReadModemStatus;

    void ComPortHARD();
    void HandleBarrierEvent(bool stopLine, bool startLine);
    void StartStopLockout();
    void TimerGesperrtTimer(QTimer* timer);
    void ImageLSClick();
    void LockLSClick();
    void ComPortOpen();
    void ComPortClose();

    // The run control's calls: arm the STOPP barrier when both lanes run,
    // block it when none does (only while there is no STOPP lockout).
    void ArmAfterLastStart();
    void BlockAfterLastStop();

    void SetAlg(int alg) { alg_ = alg; }
    int Alg() const { return alg_; }
    void SetRunden(bool on) { runden_ = on; }
    // STOPP lockout in milliseconds; 0 means none.
    void SetWaitStart(int ms);
    int WaitStart() const;
    bool Armed() const;

    std::uint32_t LastModemStatus = NoStatus;
    QTimer* TimerGesperrtStart;
    QTimer* TimerGesperrtStop;

private:
    void ShowLockPicture();

    QAction* mStart_;
    QAction* mStop_;
    TLbSpeedButton* bSTART_;
    TImage* imageLSstop_;
    int alg_ = 0;
    bool runden_ = false;
};
