#include "TFormMain.h"

#include "BackupExitQuestion.h"
#include "BarrierEdgeJournal.h"
#include "BarrierPort.h"
#include "Clock.h"
#include "DesktopShell.h"
#include "DeskLogo.h"
#include "DeskView.h"
#include "IniSettingsStore.h"
#include "Journal.h"
#include "LightBarrierInput.h"
#include "MainWindowGeometry.h"
#include "OperatorNotice.h"
#include "ProbeSerialPorts.h"
#include "ProgramInfo.h"
#include "ProtocolBackup.h"
#include "ProtocolFileCommands.h"
#include "ProtocolGrid.h"
#include "ProtocolModel.h"
#include "QtSoundPlayer.h"
#include "RunControl.h"
#include "SettingsJournal.h"
#include "StartNumberBackup.h"
#include "TCfgDialog.h"
#include "TFDlgYesNo.h"
#include "TFormMonitor2.h"
#include "TFrame1.h"
#include "THelpWindow.h"
#include "TImage.h"
#include "TLbSpeedButton.h"
#include "TSortGrid.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QScreen>
#include <QSpinBox>
#include <QTimer>
#include <QToolButton>

TFormMain::TFormMain(const TAppSettings& settings, const MainWindowSeams& seams, QWidget* parent)
    : QWidget(parent)
    , settings_(settings)
    , clock_(seams.clock ? *seams.clock : Clock::System())
    , probePorts_(seams.probePorts ? seams.probePorts : [] { return ProbeSerialPorts(); })
    , sound_(seams.sound)
{
    if (!sound_) {
        ownSound_ = new QtSoundPlayer(this);
        sound_ = ownSound_;
    }
    view_ = new DeskView(*this, clock_);
    const DeskWidgets& w = view_->Widgets();
    notice_ = std::make_unique<OperatorNotice>(w.LabNotice, w.PanelLeft);

    protocol_ = new ProtocolModel(this);
    protocolGrid_ = new ProtocolGrid(*w.SortGrid1, *protocol_);
    connect(protocol_, &ProtocolModel::ProtocolCommands, view_, &DeskView::SetProtocolCommands);
    w.FrameT1->SetProtocol(protocol_);
    w.FrameT2->SetProtocol(protocol_);

    RunControlParts parts;
    parts.frameT1 = w.FrameT1;
    parts.frameT2 = w.FrameT2;
    parts.protocol = protocol_;
    parts.mStart = w.mStart;
    parts.mStop = w.mStop;
    parts.mReset = w.mReset;
    parts.mAvaria = w.mAvaria;
    parts.bSTART = w.bSTART;
    parts.bSTOP = w.bSTOP;
    parts.bRESET = w.bRESET;
    parts.bAVARIA = w.bAVARIA;
    parts.sound = sound_;
    runControl_ = new RunControl(parts, this);
    barrier_ = new LightBarrierInput(*runControl_, w.ImageLSstop, clock_, this);
    connect(runControl_, &RunControl::AllLanesStarted, barrier_, &LightBarrierInput::ArmAfterLastStart);
    connect(runControl_, &RunControl::NoLaneRunning, barrier_, &LightBarrierInput::BlockAfterLastStop);
    connect(runControl_, &RunControl::RundenModeSet, barrier_, &LightBarrierInput::SetRunden);
    ShowWarning = [this](const QString& message) {
        QMessageBox::warning(this, QCoreApplication::applicationName(), message);
    };
    connect(runControl_, &RunControl::Message, this, [this](const QString& message) { ShowWarning(message); });
    CreateComPort(seams.serialDevice);
    CreateJournal(seams);
    CreateFileCommands();
    ConnectCommands();
    FormCreate(seams);
    w.SortGrid1->setFocus();
}

void TFormMain::ConnectCommands()
{
    const DeskWidgets& w = view_->Widgets();
    connect(w.Modus1, &QAction::triggered, runControl_, &RunControl::Modus1Click);
    connect(w.Erase1, &QAction::triggered, runControl_, &RunControl::Erase1Click);
    connect(w.Zeileentfernen1, &QAction::triggered, runControl_, &RunControl::Erase1Click);
    connect(w.Leerenzeilenentfernen1, &QAction::triggered, runControl_, &RunControl::Leerenzeilenentfernen1Click);
    connect(w.LockLS, &QAction::triggered, barrier_, &LightBarrierInput::LockLSClick);
    connect(w.EinstellunGen1, &QAction::triggered, this, &TFormMain::bCFGClick);
    connect(w.Hilfe1, &QAction::triggered, this, &TFormMain::bHelpClick);
    connect(w.mHilfe, &QAction::triggered, this, &TFormMain::bHelpClick);
    connect(w.mInfo, &QAction::triggered, this, &TFormMain::bInfoClick);
    w.bHelp->OnClick = [this](TLbSpeedButton*) { bHelpClick(); };
    w.bCFG->OnClick = [this](TLbSpeedButton*) { bCFGClick(); };
    w.bInfo->OnClick = [this](TLbSpeedButton*) { bInfoClick(); };
    connect(w.ImageDE, &DeskLogo::Clicked, this, &TFormMain::ImageDEClick);
    w.ImageTVAus->OnClick = [this](TImage*) { ImageTVAusClick(); };
    w.ImageTVEin->OnClick = [this](TImage*) { ImageTVEinClick(); };
    ShowInfo = [this](const QString& caption, const QString& text) {
        QMessageBox::information(this, caption, text);
    };
    connect(w.PopupMenuProtokol, &QMenu::aboutToShow, this, &TFormMain::PopupMenuProtokolPopup);
    w.SortGrid1->OnRowSelected = [this](TSortGrid*) { runControl_->SortGrid1RowSelected(); };
    // The window's resize reaches the grid through the layouts; "Zeit" takes
    // what the other columns leave once the grid has its new size.
    w.SortGrid1->OnResize = [this](TSortGrid*) { protocolGrid_->FitProtocolColumns(); };
}

const DeskWidgets& TFormMain::Widgets() const
{
    return view_->Widgets();
}

TComPort* TFormMain::ComPort() const
{
    return &port_->Com();
}

// The creation step runs once the controls exist; its order is the
// program's start-up order.
void TFormMain::CreateExports(ProtocolExportParts parts)
{
    parts.rows = [this] { return protocol_->Rows(); };
    parts.clock = &clock_;
    parts.title = QCoreApplication::applicationName();
    // No folder: the page goes to the current directory.
    parts.pageFile = paths_.BaseName + QStringLiteral(".html");
    parts.templatePath = paths_.WordTemplatePath;
    exports_ = new ProtocolExports(std::move(parts), this);
    exports_->SetJournal(journal_.get());
    const DeskWidgets& w = view_->Widgets();
    w.sbInet->setProperty("Tag", 0);
    w.sbPrint->setProperty("Tag", 1);
    connect(w.sbInet, &QToolButton::clicked, exports_, [this, b = w.sbInet] { exports_->sbInetClick(b); });
    connect(w.sbPrint, &QToolButton::clicked, exports_, [this, b = w.sbPrint] { exports_->sbInetClick(b); });
    connect(w.sbWord, &QToolButton::clicked, exports_, &ProtocolExports::sbWordClick);
    connect(w.sbExcel, &QToolButton::clicked, exports_, &ProtocolExports::sbExcelClick);
}

void TFormMain::FormCreate(const MainWindowSeams& seams)
{
    // The steps run in a fixed order: each needs what the ones before set up.
    // First the settings store and the paths beside the program.
    paths_ = seams.paths ? *seams.paths : StartupPaths::ForThisProgram(QCoreApplication::applicationName());
    if (seams.settings) {
        store_ = seams.settings;
    } else {
        ownStore_ = std::make_unique<IniSettingsStore>(IniSettingsStore::FilePathFor(paths_.BaseName));
        store_ = ownStore_.get();
    }
    port_->SetFallbackPort(seams.fallbackPort);
    CreateExports(seams.exports);
    setWindowTitle(QCoreApplication::applicationName() + QLatin1Char(' ') + QStringLiteral(RAVOLT_VERSION));
    // The sounds are read once now, so no start or stop waits for a file.
    PreloadSounds();
    paths_.ReadFileTypeNames();
    settings_ = LoadSettings(*store_, settings_);
    RestoreGeometry();
    view_->SetScreens(int(QGuiApplication::screens().size()));
    fileCommands_->SetTypeNames(paths_.TextTypeName, paths_.WordTypeName, paths_.WebTypeName);
    fileCommands_->SetFilterIndex(settings_.FilterInd);
    // The save dialog's document and web-page types are written by the exports,
    // which report their own failures.
    fileCommands_->ExportToWord = [this](const QString& path) {
        exports_->ExportToWord(ProtocolExports::WordMode::SaveAndClose, path);
        return true;
    };
    fileCommands_->WriteHtmlPage = [this](const QString& path) { return exports_->WriteHtmlPage(path); };
    fileCommands_->SetDirectory(paths_.ProgramDir);
    view_->TimerDateTimer();
    // Whether the adapter can serve the barriers as wired depends on the
    // mode: the port knows it before it opens and names the driver. Later
    // changes of the mode reach it from the run control.
    if (!seams.sysfsRoot.empty())
        port_->SetSysfsRoot(seams.sysfsRoot);
    port_->SetRunden(settings_.Runden);
    port_->Open(settings_.Port);
    // The header row was written when the protocol table was set up.
    protocol_->UpdateProtocolCommands();
    // Silently unless the backup cannot be read back as it is; from now on
    // every change of the protocol is backed up.
    CreateBackup();
    fileCommands_->RestoreBackup(paths_.BackupToRead(), *backup_);
    connect(protocol_, &ProtocolModel::Changed, backup_, &ProtocolBackup::Schedule);
    // Ranking the restored rows may have moved the selection: no stray F11
    // may void a restored result.
    runControl_->DisableAccident();
    // The run control started with STOPP, reset and accident disabled and
    // the barrier indicator in its first state; everything else the settings
    // say comes now, Runden mode last.
    ApplySettings(settings_);
    // The lanes go on where they stood at the last exit or crash.
    startNumbers_->Restore(paths_.BackupToRead());
}

TFormMain::~TFormMain()
{
    FormDestroy();
}

void TFormMain::FormDestroy()
{
    // Closing serves the edges already queued, which may start or stop a
    // lane: the backup follows them. The worker ends here, while every
    // handler it calls still lives.
    port_->Com().Close();
    backup_->WriteNow();
    startNumbers_->WriteNow();
    StoreSettings();
    // The day's account of this session ends here, after the port's closing.
    journal_->Record(QStringLiteral("Programmende"));
}

void TFormMain::RestoreGeometry()
{
    std::optional<QPoint> corner;
    if (settings_.Left && settings_.Top)
        corner = QPoint(*settings_.Left, *settings_.Top);
    QList<QRect> screens;
    for (const QScreen* screen : QGuiApplication::screens())
        screens.append(screen->availableGeometry());
    // A position on a screen that is gone would put the window out of reach:
    // the window system places it then.
    const MainWindowGeometry fitted =
        FitMainWindow(corner, QSize(settings_.Width, settings_.Height), minimumSize(), screens);
    resize(fitted.size);
    if (fitted.corner)
        move(*fitted.corner);
}

TAppSettings TFormMain::CurrentSettings() const
{
    TAppSettings s = settings_;
    s.Left = x();
    s.Top = y();
    s.Width = width();
    s.Height = height();
    s.FilterInd = fileCommands_->FilterIndex();
    return s;
}

bool TFormMain::StoreSettings()
{
    return SaveSettings(*store_, CurrentSettings());
}

bool TFormMain::FormCloseQuery()
{
    const DeskWidgets& w = view_->Widgets();
    if ((w.FrameT1->Running() || w.FrameT2->Running()) && !(yesNo_ && yesNo_->Ask(QStringLiteral("Beenden?"))))
        return false;
    return exitQuestion_->MayClose(*backup_, protocol_->HasRuns());
}

void TFormMain::closeEvent(QCloseEvent* event)
{
    event->setAccepted(FormCloseQuery());
}

void TFormMain::CreateFileCommands()
{
    const DeskWidgets& w = view_->Widgets();
    fileCommands_ = new ProtocolFileCommands(*protocol_, *runControl_, *w.FrameT2, clock_, this);
    fileCommands_->Ask = [this](const QString& question) { return yesNo_ && yesNo_->Ask(question); };
    fileCommands_->SetJournal(journal_.get());
    connect(w.sbSave, &QToolButton::clicked, fileCommands_, &ProtocolFileCommands::sbSaveClick);
    connect(w.sbLoad, &QToolButton::clicked, fileCommands_, &ProtocolFileCommands::sbLoadClick);
    connect(w.sbCLS, &QToolButton::clicked, fileCommands_, &ProtocolFileCommands::sbCLSClick);
    // Always enabled: F8 asks also when the clear button is disabled.
    connect(w.New1, &QAction::triggered, fileCommands_, &ProtocolFileCommands::sbCLSClick);
}

void TFormMain::CreateBackup()
{
    const DeskWidgets& w = view_->Widgets();
    backup_ = new ProtocolBackup(paths_.BackupFileName, [this] { return protocol_->Rows(); }, this);
    backup_->SetFallback(paths_.BackupFallbackName);
    // The notice stays until a later write succeeds; timing goes on meanwhile.
    backup_->OnStatus = [this](const QString& notice) { notice_->Set(OperatorNotice::Backup, notice); };
    startNumbers_ =
        new StartNumberBackup(*w.FrameT1, *w.FrameT2, *runControl_, [this] { return backup_->Path(); }, this);
    startNumbers_->SetJournal(journal_.get());
    // Starts and stops change the protocol, a reset the numbers; a reset
    // that leaves the numbers as they were still ends a shown result.
    connect(protocol_, &ProtocolModel::Changed, startNumbers_, &StartNumberBackup::Schedule);
    connect(w.mReset, &QAction::triggered, startNumbers_, &StartNumberBackup::Schedule);
    exitQuestion_ = std::make_unique<BackupExitQuestion>(this);
    exitQuestion_->SaveElsewhere = [this] { fileCommands_->sbSaveClick(); };
}

void TFormMain::CreateYesNoDialog()
{
    yesNo_ = new TFDlgYesNo(this);
}

void TFormMain::PreloadSounds()
{
    // Loading runs in the background: start-up never waits for a sound.
    if (ownSound_) {
        ownSound_->Preload(paths_.StopSoundPath);
        ownSound_->Preload(paths_.StartSoundPath);
    }
    runControl_->SetSoundPaths(paths_.StartSoundPath, paths_.StopSoundPath);
}

void TFormMain::ApplySettings(const TAppSettings& settings)
{
    const QString changes = SettingsChangeText(settings_, settings);
    if (!changes.isEmpty())
        journal_->Record(QStringLiteral("Einstellungen geändert: ") + changes);
    settings_ = settings;
    // A stored index, or one the dialog offered, may name a screen that has gone.
    if (settings_.Monitor < 0 || settings_.Monitor >= int(QGuiApplication::screens().size()))
        settings_.Monitor = 0;
    protocol_->SetManyStart(settings_.ManyStart);
    protocol_->SetLength(settings_.Length);
    runControl_->SetSound(settings_.Sound);
    barrier_->SetAlg(settings_.Alg);
    barrier_->SetWaitStart(settings_.WaitStart);
    if (monitor_) {
        monitor_->SetTitle(settings_.Title);
        monitor_->SetMonitor(settings_.Monitor);
        monitor_->PlaceOnMonitor();
    }
    // The lanes, the barrier input, the port and the spectator window follow.
    runControl_->SetRundenMode(settings_.Runden);
}

void TFormMain::CreateComPort(const TComPort::DeviceFactory& devices)
{
    port_ = new BarrierPort(this);
    TComPort& com = port_->Com();
    if (devices)
        com.SetDeviceFactory(devices);
    // The worker stamps each line change with the lanes' clock; the barrier
    // input judges the lines as they were at that moment.
    com.SetClock(clock_);
    com.OnCTS = [this](TComPort*, const LineEvent& event) { barrier_->ComPortHARD(event); };
    com.OnDSR = [this](TComPort*, const LineEvent& event) { barrier_->ComPortHARD(event); };
    connect(port_, &BarrierPort::Opened, barrier_, &LightBarrierInput::ComPortOpen);
    connect(port_, &BarrierPort::Closed, barrier_, &LightBarrierInput::ComPortClose);
    connect(port_, &BarrierPort::NoticeChanged, this,
            [this](const QString& notice) { notice_->Set(OperatorNotice::BarrierPort, notice); });
    connect(runControl_, &RunControl::RundenModeSet, port_, &BarrierPort::SetRunden);
}

void TFormMain::CreateJournal(const MainWindowSeams& seams)
{
    journal_ = std::make_unique<Journal>(
        seams.journalFolder.isEmpty() ? Journal::DefaultFolder() : seams.journalFolder, clock_);
    journal_->OnNotice = [this](const QString& notice) { notice_->Set(OperatorNotice::Journal, notice); };
    journal_->Prune();
    journal_->Record(QStringLiteral("Programmstart ") + QCoreApplication::applicationName() + QLatin1Char(' ') +
                     QStringLiteral(RAVOLT_VERSION));
    runControl_->SetJournal(journal_.get());
    connect(runControl_, &RunControl::Notice, this,
            [this](const QString& notice) { notice_->Set(OperatorNotice::ReplacedResult, notice); });
    port_->SetJournal(journal_.get());
    // Every edge the port reported, suppressed ones too, at the edge's tick;
    // a second report of the same lines is no edge.
    connect(barrier_, &LightBarrierInput::Edge, this, [this](const BarrierEdgeNote& note) {
        if (note.outcome != BarrierOutcome::Unchanged)
            journal_->Record(note.stamp.tick, BarrierEdgeText(note));
    });
}

void TFormMain::CreateCfgDialog()
{
    cfgDialog_ = new TCfgDialog(this);
    // A length never set takes the dialog's own; the protocol follows it.
    cfgDialog_->FormCreate(settings_);
    protocol_->SetLength(settings_.Length);
}

void TFormMain::bCFGClick()
{
    if (!cfgDialog_ || cfgDialog_->isVisible())
        return;
    // The probe cannot open the port held here, so that one is added.
    std::uint32_t ports = probePorts_();
    if (port_->Com().Connected())
        ports = AddAvailablePort(ports, port_->Com().Port());
    if (const std::optional<TAppSettings> chosen = cfgDialog_->Edit(settings_, ports)) {
        ApplySettings(*chosen);
        // Reopened on every "OK", so a port that failed before is tried again.
        port_->Reopen(settings_.Port);
        StoreSettings();
    }
    view_->Widgets().PanelLeft->setFocus();
}

void TFormMain::CreateSpectatorWindow()
{
    const DeskWidgets& w = view_->Widgets();
    monitor_ = new TFormMonitor2(w.FrameT1, w.FrameT2, this);
    monitor_->ReadStartNumbers = [w] {
        return TFormMonitor2::StartNumbers{w.FrameT1->editStartN1->value(), w.FrameT1->editStartN2->value(),
                                           w.FrameT2->editStartN1->value(), w.FrameT2->editStartN2->value()};
    };
    monitor_->OnShowBestTime = [this, lane2 = w.FrameT2] { lane2->ShowTime(protocol_->BestTime()); };
    monitor_->OnIndicator = [tv = w.ImageTVEin](bool shown) { tv->setVisible(shown); };
    monitor_->SetRunden(settings_.Runden);
    monitor_->FormCreate(settings_.Title, settings_.Monitor);
    runControl_->SetSpectator(monitor_);
}

void TFormMain::ImageTVAusClick()
{
    monitor_->show();
    // On another monitor the operator keeps typing into the main window.
    if (monitor_->Monitor() != 0)
        activateWindow();
}

void TFormMain::ImageTVEinClick()
{
    monitor_->close();
}

void TFormMain::bHelpClick()
{
    if (!help_)
        help_ = new THelpWindow(this);
    help_->ShowContents(paths_.HelpFilePath);
}

void TFormMain::bInfoClick()
{
    ShowInfo(QStringLiteral("Info"),
             ProgramInfo::InfoText(QCoreApplication::applicationName(), QStringLiteral(RAVOLT_VERSION)));
}

void TFormMain::ImageDEClick()
{
    // A page that cannot be opened is not reported.
    exports_->Shell().OpenAddress(ProgramInfo::MakerAddress);
}

void TFormMain::PopupMenuProtokolPopup()
{
    view_->Widgets().Leerenzeilenentfernen1->setEnabled(runControl_->EmptyRowRemovalAllowed());
    protocol_->UpdateProtocolCommands();
}
