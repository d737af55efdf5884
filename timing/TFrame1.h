#pragma once

#include "Clock.h"
#include "DigitRow.h"
#include "TColor.h"

#include <QDateTime>
#include <QFrame>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

class LaneTick;
class ProtocolModel;
class QLabel;
class QSpinBox;
class TDigit;

// One lane stopwatch. It measures a run with the tick counter, shows the
// running and the final time on six digits (and on its mirror row of the
// spectator window), keeps the lane's current and next start number, and
// has the protocol open and complete the run's row. The run control decides
// when the lane starts and stops.
class TFrame1 : public QFrame
{
    Q_OBJECT
public:
    static constexpr TColor DimColor = clDarkGrey;
    static constexpr TColor OnColor = clYellow;

    // tag 0 is lane 1 (FrameT1), 1 is lane 2 (FrameT2).
    TFrame1(int tag, const ::Clock& clock, QWidget* parent = nullptr);
    ~TFrame1() override;

    int Tag() const { return tag_; }
    void SetProtocol(ProtocolModel* protocol) { protocol_ = protocol; }
    // The spectator window's row for this lane; null while there is none.
    void SetMirror(DigitRow* row) { mirror_ = row; }
    // Runden mode steps the start numbers by 1 instead of 2.
    void SetRunden(bool on) { runden_ = on; }

    void ShowDigits(int minutes, int seconds, int hundredths);
    void ShowTime(std::int32_t ms);
    // The 10 ms display of a running lane (the lanes' shared tick calls it).
    void ClockTimer();
    // A light-barrier edge brings the stamp of the line change; without one
    // the lane reads the clock itself, first of all.
    void StartRun(std::optional<TimeStamp> edge = std::nullopt);
    void StopRun(std::optional<TimeStamp> edge = std::nullopt);
    void ResetLane();
    // Steps 1 and 2 of the reset: normal colours and 00.00,00, numbers kept.
    void ClearDisplay();
    // The reset with the numbers kept: the lane no longer shows a result.
    void ClearResult();
    // The stamp a START takes when something must happen before StartRun.
    TimeStamp TakeStamp() const { return clock_.Stamp(); }

    bool Running() const;
    // Whether the lane shows the result of a run (stopped, not yet reset).
    bool ShowsResult() const { return !Running() && StopTick != StartTick; }
    // The start-number text that identifies the lane's protocol row.
    QString StartNumberText() const;

    std::uint32_t StartTick = 0;
    std::uint32_t StopTick = 0;
    // The same readings at microseconds.
    TimeStamp StartStamp;
    TimeStamp StopStamp;
    QDateTime ClockTime;

    // The controls other parts of the program address by name.
    DigitRow Digits;      // Digit3..Digit8, LabMin, LabSec
    QWidget* Panel6;
    QLabel* Label1;
    QSpinBox* editStartN1;
    QLabel* Label2;
    QSpinBox* editStartN2;
    QLabel* Image1;

Q_SIGNALS:
    // Value changes of the two start-number fields.
    void StartNumberChange(TFrame1* sender);
    void NextNumberChange(TFrame1* sender);
    // The lane no longer shows a result (reset or cleared).
    void ResultCleared(TFrame1* sender);

private:
    void BuildDigits();
    void BuildPanel6();
    static void WriteRow(const DigitRow& row, int minutes, int seconds, int hundredths);
    static void ResetRowColours(const DigitRow& row, bool wholeRow);
    QDateTime LocalTimeOf(const std::optional<TimeStamp>& edge) const;

    const int tag_;
    const ::Clock& clock_;
    ProtocolModel* protocol_ = nullptr;
    DigitRow* mirror_ = nullptr;
    bool runden_ = false;
    bool running_ = false;
    std::shared_ptr<LaneTick> tick_;
};
