#pragma once

#include "BarrierLogic.h"
#include "Clock.h"
#include "ProtocolRow.h"
#include "TColor.h"

#include <QObject>
#include <QString>
#include <functional>

#include <optional>

class JournalFeed;
class ProtocolModel;
class QAction;
class SoundPlayer;
class TFormMonitor2;
class TFrame1;
class TLbSpeedButton;

// The commands of the timing desk and the parts they act on. The main
// window builds the widgets and hands them over; the run control connects
// them. Each command's QAction is its single gate: keys trigger the action,
// buttons and the light barriers call Start and Stop, and while the action
// is disabled nothing runs.
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
// and stop sounds after the time stamps, and has the protocol ranked. The
// light barrier gives its commands through BarrierRun, with the edge's stamp.
class RunControl : public QObject, public BarrierRun
{
    Q_OBJECT
public:
    // What set off a START or STOPP, as the journal tells it.
    enum class CommandSource { Key, Button, Barrier };

    // One finished run, for whoever keeps or shows results.
    struct FinishedRun
    {
        int lane = 0;
        QString startNumber;
        std::uint32_t startTick = 0;
        std::uint32_t stopTick = 0;
        std::int32_t runTimeMs = 0;
        QString startClock; // the lane's clock texts, as the protocol shows them
        QString stopClock;
        CommandSource source = CommandSource::Key;
    };

    RunControl(const RunControlParts& parts, QObject* parent = nullptr);

    // Every command, its result and the protocol before a command that
    // removes results go to the journal; null for none.
    void SetJournal(JournalFeed* journal) { journal_ = journal; }
    JournalFeed* Journal() const { return journal_; }
    ProtocolModel* Protocol() const { return p_.protocol; }
    // START and STOPP: nothing when the command's action is disabled (its
    // enabled flag is the single gate); false when the command did not run.
    // With an edge the lane takes the edge's stamp; without one it reads the
    // tick itself.
    bool Start(CommandSource source, std::optional<TimeStamp> edge = std::nullopt);
    bool Stop(CommandSource source, std::optional<TimeStamp> edge = std::nullopt);
    // The keys' way in.
    void mStartClick() { Start(CommandSource::Key); }
    void mStopClick() { Stop(CommandSource::Key); }
    void mResetClick();
    void bAVARIAClick();
    void Modus1Click();

    // The light barrier's view of the commands.
    bool StartAvailable() const override;
    bool Run(BarrierCommand command, const TimeStamp& edge) override;

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

    // Ranks the protocol, selects the row of the lane that stopped last and,
    // in Runden mode, shows the best time on lane 2.
    void RankProtocol();

    // Protocol grid handlers.
    void SortGrid1RowSelected();
    void Erase1Click();
    void Leerenzeilenentfernen1Click();
    // The protocol menu's mode switch, clear, remove row and remove empty rows.
    void AttachProtocolMenu(QAction* modus, QAction* erase, QAction* eraseRow, QAction* removeEmpty);
    // Whether removing empty rows may be offered (no lane runs).
    bool EmptyRowRemovalAllowed() const;

    void SetSound(bool on) { sound_ = on; }
    // The sounds are read once now (in the background), so no start or stop waits for a file.
    void SetSoundPaths(const QString& start, const QString& stop);
    // The spectator window, once it exists: the lanes mirror into its rows
    // and the start-number fields write its captions.
    void SetSpectator(TFormMonitor2* monitor);

    // Start-number change handlers: mirror the numbers to the spectator window.
    void FrameT1editStartN1Change();
    void FrameT2editStartN1Change();
    void FrameT1editStartN2Change();
    void FrameT2editStartN2Change();

    int StartLane() const { return startLane_; }
    // Lane 1, or lane 2 for any other number.
    TFrame1* Lane(int lane) const;
    int StopLane() const { return stopLane_; }
    bool RundenMode() const { return rundenMode_; }

Q_SIGNALS:
    // Both lanes run (in two-lane mode); no lane runs any more.
    void AllLanesStarted();
    void NoLaneRunning();
    // A START set a lane running (its start number as shown on the lane).
    void RunStarted(int lane, const QString& startNumber);
    // Runden mode was set (on or off, changed or confirmed).
    void RundenModeSet(bool on);
    // A STOPP completed a run; its row is in the protocol.
    void RunFinished(const RunControl::FinishedRun& run);
    // The accident command voided the selected row (its start number).
    void RunVoided(const QString& startNumber);
    // A START re-ran a start number that had a result, replacing it.
    void RunRestarted(const QString& startNumber, RunControl::CommandSource source);
    // A German message to the operator: a command that removes results (or
    // a key START over a result) did not run because its snapshot could not
    // be kept.
    void Message(const QString& message);
    // For the main window's notice line: which result a START replaced and
    // where it is kept; empty again at the next STOPP.
    void Notice(const QString& notice);

private:
    static int NextLane(int lane, int lanes);
    void UpdateCaptions();
    static QString SourceText(CommandSource source);
    // The selected row's cells firstCol..lastCol as "Nr. 7, Start 9:05.03,27, ...".
    QString SelectedRowText(int firstCol = 0, int lastCol = 5) const;
    QString RowText(int row, int firstCol, int lastCol) const;
    // Keeps the protocol before a START clears the result in row; false
    // when that could not be written. The result goes to the journal.
    bool KeepReplacedResult(int row, const QString& startNumber, CommandSource source, QString& notice);
    void RenumberLanes(bool wasRunden);
    void SyncRotation(int nextStartLane);
    int StopLaneInRunden() const;
    void Record(const QString& what);
    // False (the operator told, the journal too) when the snapshot could
    // not be kept: the command must not run then.
    bool Snapshot(const QString& command);
    bool Snapshot(const QString& command, const ProtocolRows& rows);

    RunControlParts p_;
    JournalFeed* journal_ = nullptr;
    TFormMonitor2* monitor_ = nullptr;
    int startLane_ = 0;
    int stopLane_ = 0;
    bool rundenMode_ = false;
    bool sound_ = true;
    QString startSoundPath_;
    QString stopSoundPath_;
    // Each lane's start clock text, for the finished run.
    QString startClock_[2];
};
