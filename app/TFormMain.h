#pragma once

#include "DeskPictures.h"
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
class HiddenMenu;
class LightBarrierInput;
class ProtocolBackup;
class ProtocolFileCommands;
class ProtocolGrid;
class ProtocolModel;
class QAction;
class QLabel;
class QMenu;
class QTimer;
class QToolButton;
class QtSoundPlayer;
class RunControl;
class SettingsStore;
class StartNumberBackup;
class BackupExitQuestion;
class BarrierPortWatch;
class Journal;
class OperatorNotice;
class SoundPlayer;
class TCfgDialog;
class TFDlgYesNo;
class THelpWindow;
class TFrame1;
class TFormMonitor2;
class DeskLogo;
class TImage;
class TLbSpeedButton;
class TSortGrid;

// The operator's desk. It builds the widgets and wires them to the classes
// that hold the behaviour:
//   keys / run buttons -> QActions -> RunControl -> TFrame1 lanes -> ProtocolModel -> TSortGrid
//   serial line events -> LightBarrierInput -> the same QActions
// It holds no timing logic of its own.
// What tests (and the developer's barrier simulation) replace in the main
// window. Unset members mean the real thing: the system clock, a sound
// player of the window's own, the POSIX serial device, the program's own
// settings file, the paths beside the running program, the port probe.
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
    // Where the barrier adapter's driver is looked up; empty: "/sys".
    std::string sysfsRoot;
};

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
    // after the settings dialog's "OK". The port is reopened separately
    // (ReopenComPort), the window bounds and the file type only at start-up.
    void ApplySettings(const TAppSettings& settings);
    // Writes the current settings to the store now (at exit, and after the
    // settings dialog's "OK", so a power cut loses no changed port).
    bool StoreSettings();
    // Closes the port and, after a pause of TimerPortReopen, opens the one
    // the settings name; failures leave it closed.
    void ReopenComPort();
    // Opens the configured port; a port that cannot be opened leaves the
    // barriers inactive and the lock indicator hidden.
    void OpenComPort();
    void NoBarrierPort(int error);
    const StartupPaths& Paths() const { return paths_; }

    // The windows created after this one, in the program's order.
    void CreateCfgDialog();
    void CreateYesNoDialog();
    void CreateSpectatorWindow();
    TFDlgYesNo* FDlgYesNo = nullptr;
    // "Speichern unter...", "Öffnen", clearing (also F8 "New").
    ProtocolFileCommands* FileCommands = nullptr;
    QAction* New1 = nullptr;
    // Written after every change of the protocol and at exit.
    ProtocolBackup* Backup = nullptr;
    // The lanes' start numbers beside the backup, written with it.
    StartNumberBackup* StartNumbers = nullptr;
    // The operator's notice: a failed backup, journal or snapshot write, a
    // lost barrier adapter or one that cannot serve the barriers as wired.
    QLabel* LabNotice = nullptr;
    TCfgDialog* CfgDialog = nullptr;

    // Published controls and components, addressed by name.
    TFrame1* FrameT1;
    TFrame1* FrameT2;
    TLbSpeedButton* bHelp;
    TLbSpeedButton* bCFG;
    TLbSpeedButton* bInfo;
    // The maker's logo; a click opens the maker's page.
    DeskLogo* ImageDE;
    TLbSpeedButton* bSTART;
    TLbSpeedButton* bSTOP;
    TLbSpeedButton* bRESET;
    TLbSpeedButton* bAVARIA;
    QWidget* PanelLeft;
    TImage* ImageLSstop;
    TImage* ImageTVAus;
    TImage* ImageTVEin;
    TFormMonitor2* FormMonitor2 = nullptr;
    TComPort* ComPort;
    TSortGrid* SortGrid1;
    QLabel* PanelDate;
    QTimer* TimerDate;
    QMenu* PopupMenuProtokol;
    QAction* Erase1;
    QAction* Leerenzeilenentfernen1;
    QAction* mStart;
    QAction* mStop;
    QAction* mReset;
    QAction* mAvaria;
    QAction* Modus1;
    QAction* Zeileentfernen1;
    QAction* LockLS;
    QAction* EinstellunGen1;
    QAction* Hilfe1;
    QAction* mHilfe;
    QAction* mInfo;
    // Every keyboard command, in menu order; never shown.
    HiddenMenu* HideMenu1;
    // Created at the first call for help.
    THelpWindow* HelpWindow = nullptr;
    // The pause between closing and reopening the port after "OK": the
    // clocks keep running through it.
    QTimer* TimerPortReopen;
    QToolButton* sbSave;
    QToolButton* sbLoad;
    QToolButton* sbExcel;
    QToolButton* sbWord;
    QToolButton* sbInet;
    QToolButton* sbPrint;
    QToolButton* sbCLS;

    ProtocolModel* Protocol() const { return protocol_; }
    ProtocolExports* Exports() const { return exports_; }
    RunControl* Runs() const { return runControl_; }
    LightBarrierInput* Barrier() const { return barrier_; }
    Journal* EventJournal() const { return journal_.get(); }
    BackupExitQuestion* ExitQuestion() const { return exitQuestion_.get(); }
    BarrierPortWatch* PortWatch() const { return portWatch_; }

    void TimerDateTimer();
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

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void FormCreate(const MainWindowSeams& seams);
    void CreateExports(ProtocolExportParts parts);
    void FormDestroy();
    void RestoreGeometry();
    void CreateFileCommands();
    QLabel* BuildNotice();
    void CreateBackup();
    QWidget* BuildTopBar();
    QWidget* BuildLeftPanel();
    QWidget* BuildRightPanel();
    void BuildHiddenMenu();
    QToolButton* ProtocolButton(QWidget* parent, const char* name, const QString& hint, ProtocolPicture icon);
    void CreateComPort(const TComPort::DeviceFactory& devices);
    void PreloadSounds();
    void CreateJournal(const MainWindowSeams& seams);

    TAppSettings settings_;
    StartupPaths paths_;
    std::unique_ptr<SettingsStore> ownStore_;
    SettingsStore* store_;
    std::uint8_t fallbackPort_ = 0;
    const Clock& clock_;
    std::function<std::uint32_t()> probePorts_;
    QtSoundPlayer* ownSound_ = nullptr;
    SoundPlayer* sound_;
    ProtocolModel* protocol_ = nullptr;
    ProtocolGrid* protocolGrid_ = nullptr;
    ProtocolExports* exports_ = nullptr;
    RunControl* runControl_ = nullptr;
    LightBarrierInput* barrier_ = nullptr;
    std::unique_ptr<Journal> journal_;
    BarrierPortWatch* portWatch_ = nullptr;
    std::unique_ptr<OperatorNotice> notice_;
    std::unique_ptr<BackupExitQuestion> exitQuestion_;
};
