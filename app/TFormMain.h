#pragma once

#include "BarrierPort.h"
#include "DeskView.h"
#include "ProtocolExports.h"
#include "StartupPaths.h"
#include "TAppSettings.h"
#include "TComPort.h"

#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <string>

class Clock;
class LightBarrierInput;
class ProtocolBackup;
class ProtocolFileCommands;
class ProtocolModel;
class RunControl;
class SettingsStore;
class SleepInhibitor;
class StartNumberBackup;
class BackupExitQuestion;
class Journal;
class OperatorNotice;
class SoundPlayer;
class TCfgDialog;
class EventBookDesk;
class TFDlgYesNo;
class THelpWindow;
class TFormMonitor2;

// What tests (and the developer's barrier simulation) replace in the main
// window. Unset members mean the real thing: the system clock, a sound
// player of the window's own, the POSIX serial device, the program's own
// settings file, the paths beside the running program, the port probe, the
// desktop's inhibitor.
struct MainWindowSeams
{
    const Clock* clock = nullptr;
    SoundPlayer* sound = nullptr;
    TComPort::DeviceFactory serialDevice;
    SettingsStore* settings = nullptr;
    std::optional<StartupPaths> paths;
    std::function<std::uint32_t()> probePorts;
    // The developer's barrier simulation: the port opened when the settings
    // name none (the stored Port is left as it is).
    std::uint8_t fallbackPort = 0;
    // The export layers and message box; rows, paths and title are the window's.
    ProtocolExportParts exports;
    // Where the journal and the snapshots go; empty: the per-user data folder.
    QString journalFolder;
    // Where the event books go; empty: Veranstaltungen/ in the per-user data folder.
    QString eventBookFolder;
    // Where the barrier adapter's driver is looked up; empty: "/sys".
    std::string sysfsRoot;
    // Asks the desktop to stay awake while the desk times; unset: the desktop's own over D-Bus.
    SleepInhibitor* sleepInhibitor = nullptr;
};

// The operator's desk: the composition root. DeskView builds the widgets;
// this window owns the components and connects them, and fans the settings
// out (ApplySettings). The data flow:
//   keys / run buttons -> QActions -> RunControl -> TFrame1 lanes -> ProtocolModel -> TSortGrid
//   BarrierPort (TComPort line events) -> LightBarrierInput -> RunControl::Start/Stop with the edge's stamp
//   ProtocolModel changes -> ProtocolBackup, StartNumberBackup; run control and barrier -> Journal
// It holds no timing logic and no looks of its own.
class TFormMain : public QWidget
{
    Q_OBJECT
public:
    // settings are the values that stand where the store holds none.
    explicit TFormMain(const TAppSettings& settings, const MainWindowSeams& seams = MainWindowSeams(),
                       QWidget* parent = nullptr);
    // FormDestroy: port, backup, settings.
    ~TFormMain() override;

    TAppSettings& Settings() { return settings_; }
    // The settings as they stand now: window bounds and the save dialog's
    // file type read from their owners.
    TAppSettings CurrentSettings() const;
    // The one fan-out of the settings to the lanes, the barrier input, the
    // lockout timer, the protocol and the spectator window; at start-up and
    // after the settings dialog's "OK". The port is reopened separately,
    // the window bounds and the file type only at start-up.
    void ApplySettings(const TAppSettings& settings);
    // Writes the current settings to the store now (at exit, and after the
    // settings dialog's "OK", so a power cut loses no changed port).
    bool StoreSettings() { return SaveSettings(*store_, CurrentSettings()); }
    const StartupPaths& Paths() const { return paths_; }

    // The windows created after this one, in the program's order.
    void CreateCfgDialog();
    void CreateYesNoDialog();
    // Opens the last event once the yes/no dialog can ask about a damaged book.
    void StartEventBook();
    void CreateSpectatorWindow();

    // The main window's widgets, for tests and the developer's tools.
    const DeskWidgets& Widgets() const { return view_->Widgets(); }
    TFDlgYesNo* FDlgYesNo() const { return yesNo_; }
    TCfgDialog* CfgDialog() const { return cfgDialog_; }
    TFormMonitor2* FormMonitor2() const { return monitor_; }
    // Created at the first call for help.
    THelpWindow* HelpWindow() const { return help_; }

    ProtocolModel* Protocol() const { return protocol_; }
    ProtocolExports* Exports() const { return exports_; }
    // "Speichern unter...", "Öffnen", clearing (also F8 "New").
    ProtocolFileCommands* FileCommands() const { return fileCommands_; }
    // Written after every change of the protocol and at exit.
    ProtocolBackup* Backup() const { return backup_; }
    // The lanes' start numbers beside the backup, written with it.
    StartNumberBackup* StartNumbers() const { return startNumbers_; }
    RunControl* Runs() const { return runControl_; }
    LightBarrierInput* Barrier() const { return barrier_; }
    BarrierPort* Port() const { return port_; }
    TComPort* ComPort() const { return &port_->Com(); }
    Journal* EventJournal() const { return journal_.get(); }
    BackupExitQuestion* ExitQuestion() const { return exitQuestion_.get(); }

    void PopupMenuProtokolPopup();
    void ImageTVAusClick();
    void ImageTVEinClick();
    void bCFGClick();
    void bHelpClick();
    void bInfoClick();
    void ImageDEClick();
    bool FormCloseQuery();
    // Shows the info box (a modal message box with the information symbol
    // and one OK button); tests replace it.
    std::function<void(const QString& caption, const QString& text)> ShowInfo;
    // Shows the run control's warnings (a modal message box); tests replace it.
    std::function<void(const QString& message)> ShowWarning;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void FormCreate(const MainWindowSeams& seams);
    void CreateBackup();

    TAppSettings settings_;
    StartupPaths paths_;
    std::unique_ptr<SettingsStore> ownStore_;
    SettingsStore* store_;
    const Clock& clock_;
    std::function<std::uint32_t()> probePorts_;
    SoundPlayer* sound_;
    DeskView* view_;
    ProtocolModel* protocol_ = nullptr;
    ProtocolExports* exports_ = nullptr;
    ProtocolFileCommands* fileCommands_ = nullptr;
    ProtocolBackup* backup_ = nullptr;
    StartNumberBackup* startNumbers_ = nullptr;
    RunControl* runControl_ = nullptr;
    LightBarrierInput* barrier_ = nullptr;
    BarrierPort* port_ = nullptr;
    std::unique_ptr<Journal> journal_;
    std::unique_ptr<OperatorNotice> notice_;
    std::unique_ptr<BackupExitQuestion> exitQuestion_;
    TFDlgYesNo* yesNo_ = nullptr;
    EventBookDesk* eventBook_ = nullptr;
    TCfgDialog* cfgDialog_ = nullptr;
    TFormMonitor2* monitor_ = nullptr;
    THelpWindow* help_ = nullptr;
};
