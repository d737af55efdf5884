#include "RunControl.h"

#include "JournalFeed.h"
#include "LightBarrierInput.h"
#include "ProtocolTable.h"
#include "SoundPlayer.h"
#include "TFormMonitor2.h"
#include "TFrame1.h"
#include "TLbSpeedButton.h"
#include "TSortGrid.h"
#include "TimeText.h"

#include <QAction>
#include <QLabel>
#include <QSpinBox>

#include <utility>

RunControl::RunControl(const RunControlParts& parts, QObject* parent)
    : QObject(parent)
    , p_(parts)
{
    connect(p_.mStart, &QAction::triggered, this, &RunControl::mStartClick);
    connect(p_.mStop, &QAction::triggered, this, &RunControl::mStopClick);
    connect(p_.mReset, &QAction::triggered, this, &RunControl::mResetClick);
    connect(p_.mAvaria, &QAction::triggered, this, &RunControl::bAVARIAClick);

    // START and STOPP act on the press of any mouse button.
    p_.bSTART->OnMouseDown = [this](TLbSpeedButton*, Qt::MouseButton) {
        From(CommandSource::Button, [this] { p_.mStart->trigger(); });
    };
    p_.bSTOP->OnMouseDown = [this](TLbSpeedButton*, Qt::MouseButton) {
        From(CommandSource::Button, [this] { p_.mStop->trigger(); });
    };
    p_.bRESET->OnClick = [this](TLbSpeedButton*) { p_.mReset->trigger(); };
    p_.bAVARIA->OnClick = [this](TLbSpeedButton*) { p_.mAvaria->trigger(); };

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

void RunControl::mStartClick()
{
    startLane_ = NextLane(startLane_, rundenMode_ ? 1 : 2);
    TFrame1* lane = Lane(startLane_);
    lane->StartRun(std::exchange(pendingStamp_, std::nullopt));

    const int row = p_.grid->FindRow(0, lane->StartNumberText(), false);
    if (row > 0)
        p_.grid->SelectRow(row);
    PlayEventSound(startSoundPath_);

    const bool startAvailable =
        !rundenMode_ && ((startLane_ == 1 && stopLane_ != 1) || (startLane_ == 2 && stopLane_ == 1));
    p_.mStart->setEnabled(startAvailable);
    SetButtonState(p_.bSTART, startAvailable);
    if (!rundenMode_) {
        UpdateCaptions();
        if (!startAvailable && barrier_)
            barrier_->ArmAfterLastStart();
    }
    p_.mStop->setEnabled(true);
    SetButtonState(p_.bSTOP, true);
    SetButtonState(p_.bRESET, false);
    p_.mReset->setEnabled(false);
    p_.protocol->FitProtocolColumns();
    if (journal_) {
        journal_->Record(lane->StartTick, QStringLiteral("START Bahn %1, Nr. %2 (%3): Start %4")
                                              .arg(startLane_)
                                              .arg(lane->StartNumberText(), SourceText(),
                                                   FormatClockTime(lane->ClockTime.time())));
    }
}

void RunControl::mStopClick()
{
    stopLane_ = NextLane(stopLane_, rundenMode_ ? 1 : 2);
    TFrame1* lane = Lane(stopLane_);
    lane->StopRun(std::exchange(pendingStamp_, std::nullopt));
    // The lane has just completed and selected its row; the ranking below
    // moves it.
    const QString result = journal_ ? SelectedRowText(ProtocolTable::ColStopp, ProtocolTable::ColKmh) : QString();
    PlayEventSound(stopSoundPath_);
    RankProtocol();

    const bool stopAvailable =
        !rundenMode_ && ((stopLane_ == 1 && startLane_ == 2) || (stopLane_ == 2 && startLane_ != 2));
    p_.mStop->setEnabled(stopAvailable);
    SetButtonState(p_.bSTOP, stopAvailable);
    if (!rundenMode_)
        UpdateCaptions();
    if (!stopAvailable && barrier_)
        barrier_->BlockAfterLastStop();
    p_.mStart->setEnabled(true);
    SetButtonState(p_.bSTART, true);
    SetButtonState(p_.bRESET, true);
    p_.mReset->setEnabled(true);
    if (journal_) {
        journal_->Record(lane->StopTick, QStringLiteral("STOPP Bahn %1, Nr. %2 (%3): %4")
                                             .arg(stopLane_)
                                             .arg(lane->StartNumberText(), SourceText(), result));
    }
}

void RunControl::TriggerAt(QAction* command, const TimeStamp& edge)
{
    pendingStamp_ = edge;
    From(CommandSource::Barrier, [command] { command->trigger(); });
    pendingStamp_.reset();
}

void RunControl::SetLightBarrier(LightBarrierInput* barrier)
{
    barrier_ = barrier;
    barrier_->TriggerCommand = [this](QAction* command, const TimeStamp& edge) { TriggerAt(command, edge); };
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
    Snapshot(QStringLiteral("Unfall"));
    Record(QStringLiteral("UNFALL: Zeile ungültig gemacht, vorher: ") + SelectedRowText());
    p_.protocol->VoidSelectedRow();
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
    p_.frameT1->SetMirror(monitor ? monitor->Row(0) : nullptr);
    p_.frameT2->SetMirror(monitor ? monitor->Row(1) : nullptr);
    p_.frameT1->OnStartNumberChange = [this](TFrame1*) { FrameT1editStartN1Change(); };
    p_.frameT2->OnStartNumberChange = [this](TFrame1*) { FrameT2editStartN1Change(); };
    p_.frameT1->OnNextNumberChange = [this](TFrame1*) { FrameT1editStartN2Change(); };
    p_.frameT2->OnNextNumberChange = [this](TFrame1*) { FrameT2editStartN2Change(); };
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
    rundenMode_ = on;
    p_.frameT1->SetRunden(on);
    p_.frameT2->SetRunden(on);

    TFrame1* lane2 = p_.frameT2;
    lane2->editStartN1->setVisible(!on);
    lane2->editStartN2->setVisible(!on);
    lane2->Label2->setVisible(!on);
    if (on) {
        lane2->Label1->setText(QStringLiteral("Best:"));
        // Also before any ranking in this mode: a protocol restored or
        // loaded in two-lane mode holds a best time already.
        if (!lane2->Running())
            lane2->ShowTime(p_.protocol->BestTime());
    } else {
        lane2->Label1->setText(QStringLiteral("Start-Nr.:") + QString::number(lane2->editStartN1->value()));
        // Lane 2 may have shown the best time: clear it, but move its start
        // numbers on only as the reset command would, and never while it runs.
        if (lane2->ShowsResult())
            lane2->ResetLane();
        else if (!lane2->Running())
            lane2->ClearDisplay();
    }
    UpdateCaptions();
    if (barrier_)
        barrier_->SetRunden(on);
    if (monitor_) {
        monitor_->SetRunden(on);
        monitor_->ApplyMode();
    }
    TFrame1* lane1 = p_.frameT1;
    lane1->editStartN2->setValue(lane1->editStartN1->value() + (on ? 1 : 2));
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
    Snapshot(QStringLiteral("Zeile entfernen"));
    Record(QStringLiteral("Zeile entfernt: ") + SelectedRowText());
    p_.protocol->DeleteSelectedRow();
    RankProtocol();
    p_.protocol->UpdateProtocolCommands();
}

void RunControl::Leerenzeilenentfernen1Click()
{
    // The snapshot is kept only when rows really go.
    const ProtocolRows rows = p_.protocol->Rows();
    const int before = p_.grid->RowCount();
    p_.protocol->RemoveEmptyRows();
    const int removed = before - p_.grid->RowCount();
    if (removed > 0)
        Snapshot(QStringLiteral("Leere Zeilen entfernen"), rows);
    Record(removed == 1 ? QStringLiteral("Leere Zeilen entfernt: 1 Zeile")
                        : QStringLiteral("Leere Zeilen entfernt: %1 Zeilen").arg(removed));
    RankProtocol();
    p_.protocol->UpdateProtocolCommands();
}

bool RunControl::EmptyRowRemovalAllowed() const
{
    return !p_.frameT1->Running() && !p_.frameT2->Running();
}

void RunControl::From(CommandSource source, const std::function<void()>& command)
{
    const CommandSource outer = source_;
    source_ = source;
    command();
    source_ = outer;
}

QString RunControl::SourceText() const
{
    switch (source_) {
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
    const int row = p_.grid->Row();
    if (row < 1 || row >= p_.grid->RowCount())
        return QStringLiteral("keine Zeile gewählt");
    static const char* const names[] = {"Nr.", "Start", "Stopp", "Zeit", "km/h", "Platz"};
    QStringList cells;
    for (int col = firstCol; col <= lastCol; ++col) {
        const QString text = p_.grid->Cells(col, row);
        cells << QLatin1String(names[col]) + QLatin1Char(' ') + (text.isEmpty() ? QStringLiteral("leer") : text);
    }
    return cells.join(QStringLiteral(", "));
}

void RunControl::Record(const QString& what)
{
    if (journal_)
        journal_->Record(what);
}

void RunControl::Snapshot(const QString& command)
{
    Snapshot(command, p_.protocol->Rows());
}

void RunControl::Snapshot(const QString& command, const ProtocolRows& rows)
{
    if (journal_)
        journal_->Snapshot(command, rows);
}
