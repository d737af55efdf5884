#include "DeskAwake.h"

#include "BarrierPort.h"
#include "JournalFeed.h"
#include "RunControl.h"
#include "SleepInhibitor.h"
#include "TComPort.h"
#include "TFrame1.h"

DeskAwake::DeskAwake(SleepInhibitor& inhibitor, QObject* parent) : QObject(parent), inhibitor_(inhibitor)
{
    connect(&inhibitor_, &SleepInhibitor::Reported, this, [this](const QString& text) {
        if (journal_)
            journal_->Record(text);
    });
}

DeskAwake::~DeskAwake()
{
    if (held_)
        inhibitor_.Release();
}

void DeskAwake::Follow(const RunControl& runs, const BarrierPort& port)
{
    // Asked of the lanes after each command rather than counted, so no
    // command path can leave the desk held.
    const auto recheck = [this, &runs] { SetLaneRunning(runs.Lane(1)->Running() || runs.Lane(2)->Running()); };
    connect(&runs, &RunControl::RunStarted, this, recheck);
    connect(&runs, &RunControl::RunFinished, this, recheck);
    connect(&runs, &RunControl::NoLaneRunning, this, recheck);
    connect(&runs, &RunControl::RunVoided, this, recheck);
    connect(&port, &BarrierPort::Opened, this, [this] { SetPortOpen(true); });
    connect(&port, &BarrierPort::Closed, this, [this] { SetPortOpen(false); });
    // The port may have opened before this listened.
    portOpen_ = port.Com().Connected();
    recheck();
}

void DeskAwake::SetJournal(JournalFeed* journal, QObject* lifetime)
{
    journal_ = journal;
    // The journal may go before this (the main window's members before its children).
    if (lifetime)
        connect(lifetime, &QObject::destroyed, this, [this] { journal_ = nullptr; });
}

void DeskAwake::SetLaneRunning(bool running)
{
    laneRunning_ = running;
    Update();
}

void DeskAwake::SetPortOpen(bool open)
{
    portOpen_ = open;
    Update();
}

QString DeskAwake::Reason()
{
    return QStringLiteral("Zeitnahme läuft");
}

void DeskAwake::Update()
{
    const bool wanted = laneRunning_ || portOpen_;
    if (wanted == held_)
        return;
    held_ = wanted;
    if (held_)
        inhibitor_.Inhibit(Reason());
    else
        inhibitor_.Release();
}
