#pragma once

#include "BarrierPort.h"
#include "DeskView.h"
#include "FakeClock.h"
#include "QtPrinters.h"
#include "FakeSerialDevice.h"
#include "FakeSettingsStore.h"
#include "LightBarrierInput.h"
#include "ProgramWindows.h"
#include "ProtocolModel.h"
#include "RecordingExportLayers.h"
#include "RecordingSleepInhibitor.h"
#include "RecordingSoundPlayer.h"
#include "RunControl.h"
#include "StartNumberBackup.h"
#include "ProtocolBackup.h"
#include "TAppSettings.h"
#include "TFormMain.h"
#include "TFrame1.h"
#include "TLbSpeedButton.h"
#include "TSortGrid.h"

#include <QAction>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QLabel>
#include <QSpinBox>
#include <QTemporaryDir>
#include <memory>

// Runs the event loop until the condition holds or the time is up.
inline bool WaitFor(const std::function<bool()>& condition, int ms = 5000)
{
    QDeadlineTimer deadline(ms);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

// The program's windows with a fake clock, a recording sound player, a
// scripted serial device behind its port, a settings store in memory and a
// program folder of its own (where the backup goes). The port probe finds
// the ports in ports.
struct MainWindowRig
{
    explicit MainWindowRig(TAppSettings s = {}, bool create = true)
        : settings(std::move(s))
        , device(std::make_shared<FakeSerialDevice>())
    {
        QCoreApplication::setApplicationName(QStringLiteral("Ravolt"));
        if (create)
            Create();
    }

    // The program file, as far as the start-up paths go.
    QString ProgramFile() const { return dir.filePath(QStringLiteral("ravolt")); }
    MainWindowSeams Seams()
    {
        MainWindowSeams seams;
        seams.clock = &clock;
        seams.sound = &sound;
        seams.serialDevice = [this] { return device; };
        seams.settings = &store;
        seams.paths = StartupPaths::ForProgram(ProgramFile(), QStringLiteral("Ravolt"), dir.filePath(QStringLiteral("data")));
        seams.probePorts = [this] { return ports; };
        seams.exports.shell = &shell;
        seams.journalFolder = dir.filePath(QStringLiteral("Journal"));
        seams.eventBookFolder = dir.filePath(QStringLiteral("Veranstaltungen"));
        seams.sysfsRoot = sysfsRoot;
        seams.sleepInhibitor = &inhibitor;
        return seams;
    }
    void Create()
    {
        form = CreateProgramWindows(settings, Seams());
        form->Runs()->SetSoundPaths(QStringLiteral("start.wav"), QStringLiteral("stopp.wav"));
    }

    TSortGrid& grid() const { return *form->Widgets().SortGrid1; }
    QString Cell(int col, int row) const { return form->Widgets().SortGrid1->Cells(col, row); }
    // The row of a start number as "Nr|Start|Stopp|Zeit|km/h|Platz".
    QString RowOf(const QString& nr) const
    {
        const int r = form->Widgets().SortGrid1->FindRow(0, nr, false);
        return r < 1 ? QStringLiteral("<none>") : form->Widgets().SortGrid1->Rows(r).join('|');
    }
    void Start() { form->Widgets().mStart->trigger(); }
    void Stop() { form->Widgets().mStop->trigger(); }
    void Reset() { form->Widgets().mReset->trigger(); }
    void Accident() { form->Widgets().mAvaria->trigger(); }

    // The barrier lines change to status (MS_CTS_ON 0x10, MS_DSR_ON 0x20);
    // returns once the light-barrier input has handled the report.
    bool Lines(std::uint32_t status)
    {
        if (!device->WaitUntilWaiting(std::chrono::seconds(5)))
            return false;
        device->SetModemStatus(status);
        return WaitFor([&] { return form->Barrier()->LastModemStatus() == status; });
    }

    FakeClock clock;
    RecordingSoundPlayer sound;
    TAppSettings settings;
    std::shared_ptr<FakeSerialDevice> device;
    // What the port probe finds (bit n-1 for port n, the highest in the upper 16 bits).
    std::uint32_t ports = 0;
    // Where adapter drivers are looked up; empty: the machine's own.
    std::string sysfsRoot;
    QTemporaryDir dir;
    FakeSettingsStore store;
    // No test opens a real browser or printer.
    RecordingDesktopShell shell;
    // Nor asks the desktop to stay awake.
    RecordingSleepInhibitor inhibitor;
    std::unique_ptr<TFormMain> form;
};

inline QByteArray FileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// Starts and stops one run of the given length on the next lane.
inline void TimeRun(MainWindowRig& rig, std::uint32_t ms)
{
    rig.Start();
    rig.clock.Advance(ms);
    rig.Stop();
    rig.Reset();
}

// The protocol's backup and the lanes' numbers beside it are written on
// threads of their own: both must be done before the files or their folder
// are looked at.
inline void SettleBackup(TFormMain& form)
{
    WaitFor([&form] { return !form.Backup()->Scheduled(); });
    QCoreApplication::processEvents();
    form.StartNumbers()->WaitForWrites();
}
