#include "TFormMain.h"

#include "BackupExitQuestion.h"
#include "BarrierPort.h"
#include "Clock.h"
#include "DesktopShell.h"
#include "DeskLogo.h"
#include "DeskView.h"
#include "EventBookDesk.h"
#include "IniSettingsStore.h"
#include "Journal.h"
#include "LightBarrierInput.h"
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
#include "TSortGrid.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QMenu>
#include <QMessageBox>

TFormMain::TFormMain(const TAppSettings& settings, const MainWindowSeams& seams, QWidget* parent)
    : QWidget(parent)
    , settings_(settings)
    , clock_(seams.clock ? *seams.clock : Clock::System())
    , probePorts_(seams.probePorts ? seams.probePorts : [] { return ProbeSerialPorts(); })
    , sound_(seams.sound)
{
    if (!sound_)
        sound_ = new QtSoundPlayer(this);
    view_ = new DeskView(*this, clock_);
    const DeskWidgets& w = view_->Widgets();
    notice_ = std::make_unique<OperatorNotice>(w.LabNotice, w.PanelLeft);

    protocol_ = new ProtocolModel(this);
    new ProtocolGrid(*w.SortGrid1, *protocol_);
    connect(protocol_, &ProtocolModel::ProtocolCommands, view_, &DeskView::SetProtocolCommands);

    runControl_ = new RunControl(view_->RunParts(protocol_, sound_), this);
    barrier_ = new LightBarrierInput(*runControl_, w.ImageLSstop, clock_, this);
    connect(runControl_, &RunControl::AllLanesStarted, barrier_, &LightBarrierInput::ArmAfterLastStart);
    connect(runControl_, &RunControl::NoLaneRunning, barrier_, &LightBarrierInput::BlockAfterLastStop);
    connect(runControl_, &RunControl::RundenModeSet, barrier_, &LightBarrierInput::SetRunden);
    ShowWarning = [this](const QString& m) { QMessageBox::warning(this, QCoreApplication::applicationName(), m); };
    connect(runControl_, &RunControl::Message, this, [this](const QString& message) { ShowWarning(message); });
    port_ = new BarrierPort(this);
    if (seams.serialDevice)
        port_->Com().SetDeviceFactory(seams.serialDevice);
    // Line changes are stamped with the lanes' clock, and judged as they were then.
    port_->Com().SetClock(clock_);
    barrier_->Listen(*port_);
    connect(port_, &BarrierPort::NoticeChanged, this, notice_->SetterFor(OperatorNotice::BarrierPort));
    connect(runControl_, &RunControl::RundenModeSet, port_, &BarrierPort::SetRunden);
    journal_ = std::make_unique<Journal>(
        seams.journalFolder.isEmpty() ? Journal::DefaultFolder() : seams.journalFolder, clock_);
    connect(journal_.get(), &Journal::NoticeChanged, this, notice_->SetterFor(OperatorNotice::Journal));
    journal_->Prune();
    journal_->Record(QStringLiteral("Programmstart ") + QCoreApplication::applicationName() + QLatin1Char(' ') +
                     QStringLiteral(RAVOLT_VERSION));
    runControl_->SetJournal(journal_.get());
    connect(runControl_, &RunControl::Notice, this, notice_->SetterFor(OperatorNotice::ReplacedResult));
    port_->SetJournal(journal_.get());
    JournalBarrierEdges(*barrier_, *journal_);
    fileCommands_ = new ProtocolFileCommands(*protocol_, *runControl_, *w.FrameT2, clock_, this);
    fileCommands_->Ask = [this](const QString& question) { return yesNo_ && yesNo_->Ask(question); };
    fileCommands_->SetJournal(journal_.get());
    fileCommands_->Attach(w.sbSave, w.sbLoad, w.sbCLS, w.New1);
    runControl_->AttachProtocolMenu(w.Modus1, w.Erase1, w.Zeileentfernen1, w.Leerenzeilenentfernen1);
    connect(w.LockLS, &QAction::triggered, barrier_, &LightBarrierInput::LockLSClick);
    connect(w.EinstellunGen1, &QAction::triggered, this, &TFormMain::bCFGClick);
    connect(w.Hilfe1, &QAction::triggered, this, &TFormMain::bHelpClick);
    connect(w.mHilfe, &QAction::triggered, this, &TFormMain::bHelpClick);
    connect(w.mInfo, &QAction::triggered, this, &TFormMain::bInfoClick);
    connect(w.ImageDE, &DeskLogo::Clicked, this, &TFormMain::ImageDEClick);
    connect(w.ImageTVAus, &TImage::Clicked, this, &TFormMain::ImageTVAusClick);
    connect(w.ImageTVEin, &TImage::Clicked, this, &TFormMain::ImageTVEinClick);
    ShowInfo = [this](const QString& caption, const QString& text) { QMessageBox::information(this, caption, text); };
    connect(w.PopupMenuProtokol, &QMenu::aboutToShow, this, &TFormMain::PopupMenuProtokolPopup);
    connect(w.SortGrid1, &TSortGrid::RowSelected, runControl_, &RunControl::SortGrid1RowSelected);
    eventBook_ = new EventBookDesk(this, runControl_, seams.eventBookFolder, this);
    connect(eventBook_, &EventBookDesk::Notice, this, notice_->SetterFor(OperatorNotice::EventBook));
    eventBook_->ChangeSettings = [this](const TAppSettings& s) { ApplySettings(s); StoreSettings(); };
    FormCreate(seams);
    w.SortGrid1->setFocus();
}

void TFormMain::FormCreate(const MainWindowSeams& seams)
{
    // The steps run in a fixed order: each needs what the ones before set up.
    // First the settings store and the paths beside the program.
    paths_ = seams.paths ? *seams.paths : StartupPaths::ForThisProgram(QCoreApplication::applicationName());
    if (!seams.settings)
        ownStore_ = std::make_unique<IniSettingsStore>(IniSettingsStore::FilePathFor(paths_.BaseName));
    store_ = seams.settings ? seams.settings : ownStore_.get();
    port_->SetFallbackPort(seams.fallbackPort);
    ProtocolExportParts parts = seams.exports;
    parts.rows = [this] { return protocol_->Rows(); };
    parts.clock = &clock_;
    parts.title = QCoreApplication::applicationName();
    // No folder: the page goes to the current directory.
    parts.pageFile = paths_.BaseName + QStringLiteral(".html");
    parts.templatePath = paths_.WordTemplatePath;
    exports_ = new ProtocolExports(std::move(parts), this);
    exports_->SetJournal(journal_.get());
    const DeskWidgets& w = view_->Widgets();
    exports_->Attach(w.sbInet, w.sbPrint, w.sbWord, w.sbExcel);
    setWindowTitle(QCoreApplication::applicationName() + QLatin1Char(' ') + QStringLiteral(RAVOLT_VERSION));
    runControl_->SetSoundPaths(paths_.StartSoundPath, paths_.StopSoundPath);
    paths_.ReadFileTypeNames();
    settings_ = LoadSettings(*store_, settings_);
    view_->RestoreGeometry(settings_);
    view_->SetScreens(int(QGuiApplication::screens().size()));
    fileCommands_->SetTypeNames(paths_.TextTypeName, paths_.WordTypeName, paths_.WebTypeName);
    fileCommands_->SetFilterIndex(settings_.FilterInd);
    // The save dialog's document and web-page types are written by the exports,
    // which report their own failures.
    exports_->ServeSaveDialog(*fileCommands_);
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

// FormDestroy: port, backup, numbers, settings, journal.
TFormMain::~TFormMain()
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

void TFormMain::CreateBackup()
{
    const DeskWidgets& w = view_->Widgets();
    backup_ = new ProtocolBackup(paths_.BackupFileName, [this] { return protocol_->SharedRows(); }, this);
    backup_->SetFallback(paths_.BackupFallbackName);
    // The notice stays until a later write succeeds; timing goes on meanwhile.
    connect(backup_, &ProtocolBackup::StatusChanged, this, notice_->SetterFor(OperatorNotice::Backup));
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

void TFormMain::StartEventBook()
{
    eventBook_->Start(settings_.Title);
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
    eventBook_->ApplySettings(settings_);
    if (monitor_) {
        monitor_->SetTitle(settings_.Title);
        monitor_->SetMonitor(settings_.Monitor);
        monitor_->PlaceOnMonitor();
    }
    // The lanes, the barrier input, the port and the spectator window follow.
    runControl_->SetRundenMode(settings_.Runden);
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
    const std::uint32_t ports = port_->WithOwnPort(probePorts_());
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
    connect(monitor_, &TFormMonitor2::IndicatorChanged, w.ImageTVEin, &QWidget::setVisible);
    monitor_->SetRunden(settings_.Runden);
    monitor_->FormCreate(settings_.Title, settings_.Monitor);
    runControl_->SetSpectator(monitor_);
    eventBook_->ShowOnDesk(w, monitor_);
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
