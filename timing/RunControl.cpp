#include "RunControl.h"

#include "Journal.h"
#include "ProtocolModel.h"
#include "SoundPlayer.h"
#include "TFormMonitor2.h"
#include "TFrame1.h"
#include "TLbSpeedButton.h"
#include "TimeText.h"

#include <QAction>
#include <QDir>
#include <QLabel>
#include <QSpinBox>

#include <algorithm>

RunControl::RunControl(const RunControlParts& parts, QObject* parent)
    : QObject(parent)
    , p_(parts)
{
    // The lanes read the protocol's rows (the next free start number).
    p_.frameT1->SetProtocol(p_.protocol);
    p_.frameT2->SetProtocol(p_.protocol);
    connect(p_.mStart, &QAction::triggered, this, &RunControl::mStartClick);
    connect(p_.mStop, &QAction::triggered, this, &RunControl::mStopClick);
    connect(p_.mReset, &QAction::triggered, this, &RunControl::mResetClick);
    connect(p_.mAvaria, &QAction::triggered, this, &RunControl::bAVARIAClick);

    // START and STOPP act on the press of any mouse button.
    connect(p_.bSTART, &TLbSpeedButton::MouseDown, this, [this] { Start(CommandSource::Button); });
    connect(p_.bSTOP, &TLbSpeedButton::MouseDown, this, [this] { Stop(CommandSource::Button); });
    connect(p_.bRESET, &TLbSpeedButton::Clicked, p_.mReset, &QAction::trigger);
    connect(p_.bAVARIA, &TLbSpeedButton::Clicked, p_.mAvaria, &QAction::trigger);

    p_.mStart->setEnabled(true);
    p_.mStop->setEnabled(false);
    p_.mReset->setEnabled(false);
    p_.mAvaria->setEnabled(false);
    SetButtonState(p_.bSTART, true);
    SetButtonState(p_.bSTOP, false);
    SetButtonState(p_.bRESET, false);
    SetButtonState(p_.bAVARIA, false);
    UpdateCaptions();
}

TFrame1* RunControl::Lane(int lane) const
{
    return lane == 1 ? p_.frameT1 : p_.frameT2;
}

int RunControl::NextLane(int lane, int lanes)
{
    return lane + 1 > lanes ? 1 : lane + 1;
}

bool RunControl::Start(CommandSource source, std::optional<TimeStamp> stamp)
{
    if (!p_.mStart->isEnabled())
        return false;
    const int next = NextLane(startLane_, rundenMode_ ? 1 : 2);
    TFrame1* lane = Lane(next);
    // Without ManyStart a start number has one row: a re-run after a false
    // start replaces its result, but never without a copy and a word.
    const int replacedRow = p_.protocol->RowReplacedByStart(lane->StartNumberText());
    QString notice;
    if (replacedRow > 0) {
        // Taken before the snapshot is written, so the disk cannot delay it.
        if (!stamp)
            stamp = lane->TakeStamp();
        // A barrier START cannot be taken back: it runs and the replaced
        // result stays in the journal and the notice.
        if (!KeepReplacedResult(replacedRow, lane->StartNumberText(), source, notice) &&
            source != CommandSource::Barrier) {
            Q_EMIT Message(QStringLiteral("START nicht ausgeführt: Nr. %1 hat schon ein Ergebnis, und die Kopie "
                                          "des Protokolls davor ließ sich nicht speichern (siehe Hinweis im "
                                          "Hauptfenster). Das Ergebnis bleibt erhalten.")
                               .arg(lane->StartNumberText()));
            return false;
        }
        Q_EMIT RunRestarted(lane->StartNumberText(), source);
    }
    startLane_ = next;
    lane->StartRun(stamp);

    const int row = p_.protocol->FindRow(lane->StartNumberText());
    if (row > 0)
        p_.protocol->SelectRow(row);
    PlayEventSound(startSoundPath_);

    const bool startAvailable =
        !rundenMode_ && ((startLane_ == 1 && stopLane_ != 1) || (startLane_ == 2 && stopLane_ == 1));
    p_.mStart->setEnabled(startAvailable);
    SetButtonState(p_.bSTART, startAvailable);
    if (!rundenMode_) {
        UpdateCaptions();
        if (!startAvailable)
            Q_EMIT AllLanesStarted();
    }
    p_.mStop->setEnabled(true);
    SetButtonState(p_.bSTOP, true);
    SetButtonState(p_.bRESET, false);
    p_.mReset->setEnabled(false);
    if (journal_) {
        journal_->Record(lane->StartTick, QStringLiteral("START Bahn %1, Nr. %2 (%3): Start %4")
                                              .arg(startLane_)
                                              .arg(lane->StartNumberText(), SourceText(source),
                                                   FormatClockTime(lane->ClockTime.time())));
    }
    startClock_[next - 1] = FormatClockTime(lane->ClockTime.time());
    if (!notice.isEmpty())
        Q_EMIT Notice(notice);
    Q_EMIT RunStarted(startLane_, lane->StartNumberText());
    return true;
}

bool RunControl::KeepReplacedResult(int row, const QString& startNumber, CommandSource source, QString& notice)
{
    if (!journal_)
        return true;
    const QString result = RowText(row, ProtocolModel::ColStart, ProtocolModel::ColPlatz);
    QString why;
    QString kept;
    const bool written = journal_->Snapshot(QStringLiteral("Neustart"), p_.protocol->Rows(), &why, &kept);
    const QString where = written ? QStringLiteral("gesichert in ") + QDir::toNativeSeparators(kept)
                                  : QStringLiteral("Kopie nicht gespeichert (%1), nur im Journal").arg(why);
    Record(QStringLiteral("Neustart Nr. %1 (%2) ersetzt das Ergebnis: %3; %4")
               .arg(startNumber, SourceText(source), result, where));
    notice = QStringLiteral("Nr. %1 neu gestartet, altes Ergebnis ersetzt (%2) – %3")
                 .arg(startNumber, RowText(row, ProtocolModel::ColZeit, ProtocolModel::ColPlatz), where);
    return written;
}

bool RunControl::Stop(CommandSource source, std::optional<TimeStamp> stamp)
{
    if (!p_.mStop->isEnabled())
        return false;
    stopLane_ = rundenMode_ ? StopLaneInRunden() : NextLane(stopLane_, 2);
    TFrame1* lane = Lane(stopLane_);
    lane->StopRun(stamp);
    // The lane has just completed and selected its row; the ranking below
    // moves it.
    const QString result = journal_ ? SelectedRowText(ProtocolModel::ColStopp, ProtocolModel::ColKmh) : QString();
    PlayEventSound(stopSoundPath_);
    RankProtocol();

    // In Runden mode only a lane 2 still running from two-lane mode keeps STOPP.
    const bool stopAvailable = rundenMode_ ? p_.frameT1->Running() || p_.frameT2->Running()
                                           : (stopLane_ == 1 && startLane_ == 2) || (stopLane_ == 2 && startLane_ != 2);
    p_.mStop->setEnabled(stopAvailable);
    SetButtonState(p_.bSTOP, stopAvailable);
    if (!rundenMode_)
        UpdateCaptions();
    if (!stopAvailable)
        Q_EMIT NoLaneRunning();
    p_.mStart->setEnabled(true);
    SetButtonState(p_.bSTART, true);
    SetButtonState(p_.bRESET, true);
    p_.mReset->setEnabled(true);
    if (journal_) {
        journal_->Record(lane->StopTick, QStringLiteral("STOPP Bahn %1, Nr. %2 (%3): %4")
                                             .arg(stopLane_)
                                             .arg(lane->StartNumberText(), SourceText(source), result));
    }
    Q_EMIT Notice(QString());
    Q_EMIT RunFinished({stopLane_, lane->StartNumberText(), lane->StartTick, lane->StopTick,
                      TickDiff(lane->StopTick, lane->StartTick), startClock_[stopLane_ - 1],
                      FormatClockTime(lane->ClockTime.time()), source});
    return true;
}

// A lane 2 still running when Runden mode came on stops in turn: the lane
// that started first stops first.
int RunControl::StopLaneInRunden() const
{
    const TFrame1* lane1 = p_.frameT1;
    const TFrame1* lane2 = p_.frameT2;
    if (lane2->Running() && (!lane1->Running() || TickDiff(lane2->StartTick, lane1->StartTick) < 0))
        return 2;
    return 1;
}

bool RunControl::StartAvailable() const
{
    return p_.mStart->isEnabled();
}

bool RunControl::Run(BarrierCommand command, const TimeStamp& edge)
{
    return command == BarrierCommand::Start ? Start(CommandSource::Barrier, edge) : Stop(CommandSource::Barrier, edge);
}

void RunControl::mResetClick()
{
    QStringList reset;
    for (TFrame1* lane : {p_.frameT1, p_.frameT2}) {
        if (lane->ShowsResult()) {
            reset << QStringLiteral("Bahn %1 (Nr. %2)").arg(lane->Tag() + 1).arg(lane->StartNumberText());
            lane->ResetLane();
        }
    }
    Record(QStringLiteral("Nullstellen: ") + (reset.isEmpty() ? QStringLiteral("keine Bahn") : reset.join(QStringLiteral(", "))));
    SetButtonState(p_.bRESET, false);
    p_.mReset->setEnabled(false);
}

void RunControl::bAVARIAClick()
{
    if (!Snapshot(QStringLiteral("Unfall")))
        return;
    Record(QStringLiteral("UNFALL: Zeile ungültig gemacht, vorher: ") + SelectedRowText());
    const int row = p_.protocol->SelectedRow();
    const QString voided = row >= 1 && row < p_.protocol->RowCount() ? p_.protocol->Cell(ProtocolModel::ColNr, row)
                                                                     : QString();
    p_.protocol->VoidSelectedRow();
    Q_EMIT RunVoided(voided);
    DisableAccident();
    RankProtocol();
}

void RunControl::Modus1Click()
{
    if (!monitor_)
        return;
    if (monitor_->isVisible())
        monitor_->close();
    else
        monitor_->show();
}

void RunControl::SetSpectator(TFormMonitor2* monitor)
{
    monitor_ = monitor;
    if (monitor) {
        TFrame1* lane1 = p_.frameT1;
        TFrame1* lane2 = p_.frameT2;
        monitor->ReadStartNumbers = [lane1, lane2] {
            return TFormMonitor2::StartNumbers{lane1->editStartN1->value(), lane1->editStartN2->value(),
                                               lane2->editStartN1->value(), lane2->editStartN2->value()};
        };
        // Set more than once, the window still asks once per wish.
        disconnect(monitor, &TFormMonitor2::BestTimeWanted, this, nullptr);
        connect(monitor, &TFormMonitor2::BestTimeWanted, this, [this, lane2] { lane2->ShowTime(p_.protocol->BestTime()); });
    }
    p_.frameT1->SetMirror(monitor ? monitor->Row(0) : nullptr);
    p_.frameT2->SetMirror(monitor ? monitor->Row(1) : nullptr);
    // Unique: the window may be set more than once, each change runs once.
    const auto unique = Qt::UniqueConnection;
    connect(p_.frameT1, &TFrame1::StartNumberChange, this, &RunControl::FrameT1editStartN1Change, unique);
    connect(p_.frameT2, &TFrame1::StartNumberChange, this, &RunControl::FrameT2editStartN1Change, unique);
    connect(p_.frameT1, &TFrame1::NextNumberChange, this, &RunControl::FrameT1editStartN2Change, unique);
    connect(p_.frameT2, &TFrame1::NextNumberChange, this, &RunControl::FrameT2editStartN2Change, unique);
}

void RunControl::FrameT1editStartN1Change()
{
    if (monitor_)
        monitor_->SetStartNumber(0, p_.frameT1->editStartN1->value());
}

void RunControl::FrameT2editStartN1Change()
{
    if (monitor_)
        monitor_->SetStartNumber(1, p_.frameT2->editStartN1->value());
}

void RunControl::FrameT1editStartN2Change()
{
    if (monitor_)
        monitor_->SetNextNumber(0, p_.frameT1->editStartN2->value());
}

void RunControl::FrameT2editStartN2Change()
{
    if (monitor_)
        monitor_->SetNextNumber(1, p_.frameT2->editStartN2->value());
}

void RunControl::SetButtonState(TLbSpeedButton* button, bool enabled)
{
    button->setEnabled(enabled);
    if (!enabled) {
        button->SetColor(clBtnFace);
        button->SetLightColor(clBtnShadow);
        button->SetShadowColor(clNone);
    } else if (button == p_.bSTART) {
        button->SetColor(clGreen);
        button->SetLightColor(0xC0FFC0);
        button->SetShadowColor(0x00C000);
    } else if (button == p_.bSTOP) {
        button->SetColor(clRed);
        button->SetLightColor(0x9090FF);
        button->SetShadowColor(0x0000C0);
    } else if (button == p_.bRESET) {
        button->SetColor(clGray);
        button->SetLightColor(clBlack);
    } else if (button == p_.bAVARIA) {
        button->SetColor(clOlive);
        button->SetLightColor(clYellow);
    }
}

void RunControl::DisableAccident()
{
    SetButtonState(p_.bAVARIA, false);
    p_.mAvaria->setEnabled(false);
}

void RunControl::PlayEventSound(const QString& path)
{
    if (sound_ && !path.isEmpty() && p_.sound)
        p_.sound->Play(path);
}

void RunControl::SetSoundPaths(const QString& start, const QString& stop)
{
    startSoundPath_ = start;
    stopSoundPath_ = stop;
    if (p_.sound) {
        p_.sound->Preload(stop);
        p_.sound->Preload(start);
    }
}

void RunControl::AttachProtocolMenu(QAction* modus, QAction* erase, QAction* eraseRow, QAction* removeEmpty)
{
    connect(modus, &QAction::triggered, this, &RunControl::Modus1Click);
    connect(erase, &QAction::triggered, this, &RunControl::Erase1Click);
    connect(eraseRow, &QAction::triggered, this, &RunControl::Erase1Click);
    connect(removeEmpty, &QAction::triggered, this, &RunControl::Leerenzeilenentfernen1Click);
}

void RunControl::UpdateCaptions()
{
    if (rundenMode_) {
        p_.bSTART->SetCaption(QStringLiteral("START"));
        p_.bSTOP->SetCaption(QStringLiteral("STOPP"));
        return;
    }
    // The captions name the lane the next command really uses.
    p_.bSTART->SetCaption(QStringLiteral("START %1").arg(NextLane(startLane_, 2)));
    p_.bSTOP->SetCaption(QStringLiteral("STOPP %1").arg(NextLane(stopLane_, 2)));
}

void RunControl::SetRundenMode(bool on)
{
    const bool wasRunden = rundenMode_;
    rundenMode_ = on;
    p_.frameT1->SetRunden(on);
    p_.frameT2->SetRunden(on);

    TFrame1* lane2 = p_.frameT2;
    lane2->editStartN1->setVisible(!on);
    lane2->editStartN2->setVisible(!on);
    lane2->Label2->setVisible(!on);
    if (on) {
        lane2->Label1->setText(QStringLiteral("Best:"));
    } else if (!lane2->Running()) {
        // Lane 2 showed the best time (or a result of its own from before):
        // its display is cleared, its numbers follow below.
        lane2->ClearResult();
    }
    if (on != wasRunden)
        RenumberLanes(wasRunden);
    // Also before any ranking in this mode: a protocol restored or loaded in
    // two-lane mode holds a best time already.
    if (on && !lane2->Running())
        lane2->ShowTime(p_.protocol->BestTime());
    if (!on)
        lane2->Label1->setText(QStringLiteral("Start-Nr.:") + QString::number(lane2->editStartN1->value()));
    UpdateCaptions();
    Q_EMIT RundenModeSet(on);
    if (monitor_) {
        monitor_->SetRunden(on);
        monitor_->ApplyMode();
    }
}

namespace {

// The lowest number from `from` on (and at most 9999) that the step's
// parity allows and that neither runs nor has a result; 9999 when none is left.
int FreeNumber(int from, int parity, const std::function<bool(int)>& taken)
{
    for (int n = std::max(from, 1); n <= 9999; ++n) {
        if ((parity == 0 || n % 2 == parity % 2) && !taken(n))
            return n;
    }
    return 9999;
}

} // namespace

// A mode switch in mid-event: the numbers go on from the car lined up next
// (an idle lane of the old mode), or after the highest number in use. In
// two-lane mode lane 1 takes the odd and lane 2 the even numbers; in Runden
// mode lane 1 takes them all. A running lane keeps its number and gets the
// new next one.
void RunControl::RenumberLanes(bool wasRunden)
{
    TFrame1* lanes[] = {p_.frameT1, p_.frameT2};
    int highest = p_.protocol->HighestStartNumber();
    for (TFrame1* lane : lanes) {
        if (lane->Running() || lane->ShowsResult())
            highest = std::max(highest, lane->editStartN1->value());
    }
    const auto taken = [this, &lanes](int n) {
        for (TFrame1* lane : lanes) {
            if (lane->Running() && lane->editStartN1->value() == n)
                return true;
        }
        return p_.protocol->HasResult(n);
    };
    int first = 0;
    for (int i = 0; i < (wasRunden ? 1 : 2); ++i) {
        const TFrame1* lane = lanes[i];
        const int n = lane->editStartN1->value();
        if (!lane->Running() && !lane->ShowsResult() && !taken(n) && (first == 0 || n < first))
            first = n;
    }
    if (first == 0)
        first = std::min(highest + 1, 9999);
    // A lane showing a result is reset as the reset command would: the
    // next START must not re-run its number and replace that result.
    for (TFrame1* lane : lanes) {
        if (lane->ShowsResult())
            lane->ClearResult();
    }
    SetButtonState(p_.bRESET, false);
    p_.mReset->setEnabled(false);

    int nextStartLane = 1;
    int lowest = 0;
    for (int i = 0; i < (rundenMode_ ? 1 : 2); ++i) {
        TFrame1* lane = lanes[i];
        const int parity = rundenMode_ ? 0 : i + 1;
        const int step = rundenMode_ ? 1 : 2;
        const int own = FreeNumber(first, parity, taken);
        if (lane->Running()) {
            lane->editStartN2->setValue(own);
        } else {
            lane->editStartN1->setValue(own);
            lane->editStartN2->setValue(FreeNumber(own + step, parity, taken));
        }
        if (!lane->Running() && (lowest == 0 || own < lowest)) {
            lowest = own;
            nextStartLane = i + 1;
        }
    }
    SyncRotation(nextStartLane);
}

// The counters and the commands' flags from the lanes as they run: the
// next START goes to nextStartLane when no lane runs, the next STOPP to the
// lane that started first.
void RunControl::SyncRotation(int nextStartLane)
{
    const bool run1 = p_.frameT1->Running();
    const bool run2 = p_.frameT2->Running();
    bool startAvailable = true;
    if (rundenMode_) {
        startLane_ = stopLane_ = 1;
        startAvailable = !run1;
    } else if (run1 && run2) {
        const int firstStarted = TickDiff(p_.frameT2->StartTick, p_.frameT1->StartTick) < 0 ? 2 : 1;
        startLane_ = stopLane_ = NextLane(firstStarted, 2);
        startAvailable = false;
    } else if (run1 || run2) {
        startLane_ = run1 ? 1 : 2;
        stopLane_ = NextLane(startLane_, 2);
    } else {
        startLane_ = stopLane_ = NextLane(nextStartLane, 2);
    }
    p_.mStart->setEnabled(startAvailable);
    SetButtonState(p_.bSTART, startAvailable);
    p_.mStop->setEnabled(run1 || run2);
    SetButtonState(p_.bSTOP, run1 || run2);
}

void RunControl::RestoreRotation(int lastStartLane)
{
    if (p_.frameT1->Running() || p_.frameT2->Running() || lastStartLane < 0 || lastStartLane > 2)
        return;
    startLane_ = stopLane_ = lastStartLane;
    UpdateCaptions();
}

void RunControl::RankProtocol()
{
    TFrame1* lane = stopLane_ == 1 ? p_.frameT1 : p_.frameT2;
    const std::int32_t best = p_.protocol->RankProtocol(lane->StartNumberText(), rundenMode_);
    if (rundenMode_)
        p_.frameT2->ShowTime(best);
}

void RunControl::SortGrid1RowSelected()
{
    const bool voidable = p_.protocol->SelectedRowVoidable();
    SetButtonState(p_.bAVARIA, voidable);
    if (voidable)
        p_.bAVARIA->SetColor(clYellow);
    p_.mAvaria->setEnabled(voidable);
}

void RunControl::Erase1Click()
{
    if (!Snapshot(QStringLiteral("Zeile entfernen")))
        return;
    Record(QStringLiteral("Zeile entfernt: ") + SelectedRowText());
    p_.protocol->DeleteSelectedRow();
    RankProtocol();
    p_.protocol->UpdateProtocolCommands();
}

void RunControl::Leerenzeilenentfernen1Click()
{
    // The snapshot is kept only when rows really go.
    const ProtocolRows rows = p_.protocol->Rows();
    const bool rowsGo = std::any_of(rows.begin() + std::min<std::size_t>(1, rows.size()), rows.end(),
                                    [](const ProtocolRow& row) { return IsBlankText(row[3]); });
    if (rowsGo && !Snapshot(QStringLiteral("Leere Zeilen entfernen"), rows))
        return;
    const int removed = p_.protocol->RemoveEmptyRows();
    Record(removed == 1 ? QStringLiteral("Leere Zeilen entfernt: 1 Zeile")
                        : QStringLiteral("Leere Zeilen entfernt: %1 Zeilen").arg(removed));
    RankProtocol();
    p_.protocol->UpdateProtocolCommands();
}

bool RunControl::EmptyRowRemovalAllowed() const
{
    return !p_.frameT1->Running() && !p_.frameT2->Running();
}

QString RunControl::SourceText(CommandSource source)
{
    switch (source) {
    case CommandSource::Button:
        return QStringLiteral("Schaltfläche");
    case CommandSource::Barrier:
        return QStringLiteral("Lichtschranke");
    case CommandSource::Key:
        break;
    }
    return QStringLiteral("Taste");
}

QString RunControl::SelectedRowText(int firstCol, int lastCol) const
{
    const int row = p_.protocol->SelectedRow();
    if (row < 1 || row >= p_.protocol->RowCount())
        return QStringLiteral("keine Zeile gewählt");
    return RowText(row, firstCol, lastCol);
}

QString RunControl::RowText(int row, int firstCol, int lastCol) const
{
    static const char* const names[] = {"Nr.", "Start", "Stopp", "Zeit", "km/h", "Platz"};
    QStringList cells;
    for (int col = firstCol; col <= lastCol; ++col) {
        const QString text = p_.protocol->Cell(col, row);
        cells << QLatin1String(names[col]) + QLatin1Char(' ') + (text.isEmpty() ? QStringLiteral("leer") : text);
    }
    return cells.join(QStringLiteral(", "));
}

void RunControl::Record(const QString& what)
{
    if (journal_)
        journal_->Record(what);
}

bool RunControl::Snapshot(const QString& command)
{
    return Snapshot(command, p_.protocol->Rows());
}

bool RunControl::Snapshot(const QString& command, const ProtocolRows& rows)
{
    QString why;
    if (!journal_ || journal_->Snapshot(command, rows, &why))
        return true;
    Record(QStringLiteral("\"%1\" nicht ausgeführt: Schnappschuss nicht gespeichert (%2)").arg(command, why));
    Q_EMIT Message(Journal::RefusalText(command, why));
    return false;
}
