#pragma once

#include "TAppSettings.h"
#include "TComPort.h"

#include <QWidget>

class Clock;
class LightBarrierInput;
class ProtocolTable;
class QAction;
class QLabel;
class QMenu;
class QTimer;
class QToolButton;
class QtSoundPlayer;
class RunControl;
class SoundPlayer;
class TCfgDialog;
class TFrame1;
class TFormMonitor2;
class TImage;
class TLbSpeedButton;
class TSortGrid;

// The operator's desk. It builds the widgets and wires them to the classes
// that hold the behaviour:
//   keys / run buttons -> QActions -> RunControl -> TFrame1 lanes -> ProtocolTable -> TSortGrid
//   serial line events -> LightBarrierInput -> the same QActions
// It holds no timing logic of its own.
// What tests (and the developer's barrier simulation) replace in the main
// window. Unset members mean the real thing: the system clock, a sound
// player of the window's own, the POSIX serial device.
struct MainWindowSeams
{
    const Clock* clock = nullptr;
    SoundPlayer* sound = nullptr;
    TComPort::DeviceFactory serialDevice;
    // Which serial ports exist (ProbeSerialPorts' form).
    std::function<std::uint32_t()> probePorts;
};

class TFormMain : public QWidget
{
    Q_OBJECT
public:
    explicit TFormMain(const TAppSettings& settings, const MainWindowSeams& seams = MainWindowSeams(),
                       QWidget* parent = nullptr);
    ~TFormMain() override;

    TAppSettings& Settings() { return settings_; }

    // Published controls and components, addressed by name.
    TFrame1* FrameT1;
    TFrame1* FrameT2;
    TLbSpeedButton* bSTART;
    TLbSpeedButton* bSTOP;
    TLbSpeedButton* bRESET;
    TLbSpeedButton* bAVARIA;
    TImage* ImageLSstop;
    TImage* ImageTVAus;
    TImage* ImageTVEin;
    TFormMonitor2* FormMonitor2 = nullptr;
    TCfgDialog* CfgDialog = nullptr;
    QWidget* PanelLeft;
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
    // The pause between closing and reopening the port after "OK".
    QTimer* TimerPortReopen;
    QToolButton* sbSave;
    QToolButton* sbLoad;
    QToolButton* sbExcel;
    QToolButton* sbWord;
    QToolButton* sbInet;
    QToolButton* sbPrint;
    QToolButton* sbCLS;

    ProtocolTable* Protocol() const { return protocol_; }
    RunControl* Runs() const { return runControl_; }
    LightBarrierInput* Barrier() const { return barrier_; }

    void TimerDateTimer();
    void PopupMenuProtokolPopup();
    void ImageTVAusClick();
    void ImageTVEinClick();
    // The settings dialog is created once, after the main window.
    void CreateCfgDialog();
    void bCFGClick();
    // Opens the configured port; a port that cannot be opened leaves the
    // barriers inactive and the lock indicator hidden.
    void OpenComPort();

private:
    QWidget* BuildTopBar();
    QWidget* BuildLeftPanel();
    QWidget* BuildRightPanel();
    void BuildHiddenMenu();
    QAction* HiddenAction(const char* name, const QString& caption, const QKeySequence& key);
    QToolButton* ProtocolButton(QWidget* parent, const char* name, const QString& hint, int icon);
    void ApplySettings();
    void CreateSpectatorWindow();
    void CreateComPort(const TComPort::DeviceFactory& devices);
    void ApplyConfirmedSettings(const TAppSettings& chosen);
    void FindSoundFiles();

    TAppSettings settings_;
    const Clock& clock_;
    std::function<std::uint32_t()> probePorts_;
    QtSoundPlayer* ownSound_ = nullptr;
    SoundPlayer* sound_;
    ProtocolTable* protocol_ = nullptr;
    RunControl* runControl_ = nullptr;
    LightBarrierInput* barrier_ = nullptr;
};
