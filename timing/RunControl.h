#pragma once

#include "Clock.h"
#include "ProtocolRow.h"
#include "TColor.h"

#include <QObject>
#include <QString>
#include <functional>

#include <optional>

class JournalFeed;
class LightBarrierInput;
class ProtocolModel;
class QAction;
class SoundPlayer;
class TFormMonitor2;
class TFrame1;
class TLbSpeedButton;

// The commands of the timing desk and the parts they act on. The main
// window builds the widgets and hands them over; the run control connects
// them. Each command's QAction is its single gate: buttons, keys and the
// light barriers all trigger the action, and a disabled action does nothing.
struct RunControlParts
{
    TFrame1* frameT1 = nullptr;
    TFrame1* frameT2 = nullptr;
    ProtocolModel* protocol = nullptr;
    QAction* mStart = nullptr;
    QAction* mStop = nullptr;
    QAction* mReset = nullptr;
    QAction* mAvaria = nullptr;
    TLbSpeedButton* bSTART = nullptr;
    TLbSpeedButton* bSTOP = nullptr;
    TLbSpeedButton* bRESET = nullptr;
    TLbSpeedButton* bAVARIA = nullptr;
    SoundPlayer* sound = nullptr;
};

// Routes START, STOPP, reset and accident to the two lanes in strict
// rotation (1, 2, 1, 2 in two-lane mode; lane 1 only in Runden mode), keeps
// the commands' enabled flags and the run buttons' looks, plays the start
// and stop sounds after the time stamps, and has the protocol ranked.
class RunControl : public QObject
{
    Q_OBJECT
public:
    // What set off a START or STOPP, as the journal tells it.
    enum class CommandSource { Key, Button, Barrier };

    RunControl(const RunControlParts& parts, QObject* parent = nullptr);

    // Every command, its result and the protocol before a command that
    // removes results go to the journal; null for none.
    void SetJournal(JournalFeed* journal) { journal_ = journal; }
    // A German message to the operator: a command that removes results (or
    // a key START over a result) did not run because its snapshot could not
    // be kept.
    std::function<void(const QString& message)> ShowMessage;
    // Runs command (which may trigger START or STOPP) as coming from source;
    // triggers from elsewhere count as keys.
    void From(CommandSource source, const std::function<void()>& command);

    void mStartClick();
    void mStopClick();
    void mResetClick();
    void bAVARIAClick();
    void Modus1Click();

    // Triggers a command through its action (the single gate) with the time
    // of a light-barrier edge as the time of the pending command: START and
    // STOPP then stamp the lane with the edge. The time is cleared after
    // the trigger, whether the action ran or was disabled.
    void TriggerAt(QAction* command, const TimeStamp& edge);

    void SetButtonState(TLbSpeedButton* button, bool enabled);
    // The accident command off, as at program start: only a row the
    // operator selects arms it, not one a restored protocol's ranking moves to.
    void DisableAccident();
    void PlayEventSound(const QString& path);
    // A real switch resets the lanes that show a result and renumbers the
    // idle lanes: lane 1 odd and lane 2 even in two-lane mode, never a
    // number that runs or has a result; a running lane keeps its number.
    // The next START goes to the idle lane with the lower number; the
    // captions follow the counters. Confirming the same mode changes nothing.
    void SetRundenMode(bool on);
    // After a restart no lane runs; the next START goes to the lane after
    // lastStartLane, as before the restart.
    void RestoreRotation(int lastStartLane);

    // The main window's notice line: which result a START replaced and
    // where it is kept; empty again at the next STOPP.
    std::function<void(const QString& notice)> OnNotice;

    // Ranks the protocol, selects the row of the lane that stopped last and,
    // in Runden mode, shows the best time on lane 2.
    void RankProtocol();

    // Protocol grid handlers.
    void SortGrid1RowSelected();
    void Erase1Click();
    void Leerenzeilenentfernen1Click();
    // Whether removing empty rows may be offered (no lane runs).
    bool EmptyRowRemovalAllowed() const;

    void SetSound(bool on) { sound_ = on; }
    void SetSoundPaths(const QString& start, const QString& stop);
    // The barrier input arms and blocks through the run control and hands
    // its edges' stamps to it.
    void SetLightBarrier(LightBarrierInput* barrier);
    // The spectator window, once it exists: the lanes mirror into its rows
    // and the start-number fields write its captions.
    void SetSpectator(TFormMonitor2* monitor);

    // Start-number change handlers: mirror the numbers to the spectator window.
    void FrameT1editStartN1Change();
    void FrameT2editStartN1Change();
    void FrameT1editStartN2Change();
    void FrameT2editStartN2Change();

    int StartLane() const { return startLane_; }
    int StopLane() const { return stopLane_; }
    bool RundenMode() const { return rundenMode_; }

private:
    TFrame1* Lane(int lane) const;
    static int NextLane(int lane, int lanes);
    void UpdateCaptions();
    QString SourceText() const;
    // The selected row's cells firstCol..lastCol as "Nr. 7, Start 9:05.03,27, ...".
    QString SelectedRowText(int firstCol = 0, int lastCol = 5) const;
    QString RowText(int row, int firstCol, int lastCol) const;
    // Keeps the protocol before a START clears the result in row; false
    // when that could not be written. The result goes to the journal.
    bool KeepReplacedResult(int row, const QString& startNumber, QString& notice);
    void RenumberLanes(bool wasRunden);
    void SyncRotation(int nextStartLane);
    int StopLaneInRunden() const;
    void Record(const QString& what);
    // False (the operator told, the journal too) when the snapshot could
    // not be kept: the command must not run then.
    bool Snapshot(const QString& command);
    bool Snapshot(const QString& command, const ProtocolRows& rows);

    RunControlParts p_;
    LightBarrierInput* barrier_ = nullptr;
    JournalFeed* journal_ = nullptr;
    CommandSource source_ = CommandSource::Key;
    TFormMonitor2* monitor_ = nullptr;
    int startLane_ = 0;
    int stopLane_ = 0;
    bool rundenMode_ = false;
    // The time of the pending command, set only while TriggerAt runs.
    std::optional<TimeStamp> pendingStamp_;
    bool sound_ = true;
    QString startSoundPath_;
    QString stopSoundPath_;
};
