#include "TFormMain.h"

#include "Clock.h"
#include "DatePanelText.h"
#include "DesktopShell.h"
#include "HiddenMenu.h"
#include "IniSettingsStore.h"
#include "BackupExitQuestion.h"
#include "BarrierEdgeJournal.h"
#include "BarrierPortWatch.h"
#include "EComHandle.h"
#include "EComState.h"
#include "Journal.h"
#include "LightBarrierInput.h"
#include "MainWindowGeometry.h"
#include "SettingsJournal.h"
#include "StartNumberBackup.h"
#include "ProbeSerialPorts.h"
#include "OperatorNotice.h"
#include "ProtocolBackup.h"
#include "ProtocolFileCommands.h"
#include "ProgramInfo.h"
#include "ProtocolGrid.h"
#include "ProtocolModel.h"
#include "QtSoundPlayer.h"
#include "RunControl.h"
#include "TCfgDialog.h"
#include "TFDlgYesNo.h"
#include "TFormMonitor2.h"
#include "THelpWindow.h"
#include "TFrame1.h"
#include "TImage.h"
#include "TLbSpeedButton.h"
#include "TSortGrid.h"
#include "TvPictures.h"
#include "DeskPictures.h"
#include "DeskLogo.h"
#include "DrawnPicture.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QMessageBox>
#include <QScreen>
#include <QSpinBox>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

QFont Bold(const QString& family, int points)
{
    QFont font(family);
    font.setPointSize(points);
    font.setBold(true);
    return font;
}

void Paint(QWidget* widget, QPalette::ColorRole role, const QColor& color)
{
    QPalette palette = widget->palette();
    palette.setColor(role, color);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

QFont ArialPixels(int pixels, bool bold = true)
{
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

// The run buttons' own looks; face, light and shadow colours follow the
// enabled state and are set by the run control.
struct RunButtonLook
{
    const char* name;
    const char* caption;
    const char* hint;
    QRect place;
    TColor colorWhenDown;
    TColor hotTrackColor;
    TColor fontColor;
    TColor hotTrackFontColor;
};

constexpr RunButtonLook RunButtonLooks[] = {
    {"bSTART", "START 1", "F5", {11, 306, 110, 40}, 0x80FF80, 0x00C000, clWhite, clYellow},
    {"bSTOP", "STOPP 1", "F9", {131, 306, 110, 40}, 0x8080FF, 0xB0B0FF, clWhite, clYellow},
    {"bRESET", "00:00", "F7", {275, 306, 110, 30}, clSilver, clNone, clWhite, clYellow},
    {"bAVARIA", "UNFALL", "F11", {275, 340, 110, 30}, clWhite, clNone, clBlack, clRed},
};

TLbSpeedButton* RunButton(QWidget* parent, const RunButtonLook& look)
{
    auto* button = new TLbSpeedButton(parent);
    button->setObjectName(QLatin1String(look.name));
    button->setGeometry(look.place);
    button->SetStyle(TLbSpeedButtonStyle::bsModern);
    button->SetAlignment(Qt::AlignHCenter);
    button->SetCaption(QString::fromUtf8(look.caption));
    button->setToolTip(QString::fromUtf8(look.hint));
    button->setCursor(Qt::PointingHandCursor);
    button->SetColorWhenDown(look.colorWhenDown);
    button->SetHotTrackColor(look.hotTrackColor);
    button->setFont(ArialPixels(19));
    button->SetFontColor(look.fontColor);
    button->SetHotTrackFont(ArialPixels(21), look.hotTrackFontColor);
    button->SetUseHotTrackFont(true);
    return button;
}

TLbSpeedButton* TopBarButton(QWidget* parent, const char* name, const QString& hint, TopBarPicture picture)
{
    auto* button = new TLbSpeedButton(parent);
    button->setObjectName(QLatin1String(name));
    button->setFixedSize(38, 40);
    button->SetStyle(TLbSpeedButtonStyle::bsShape);
    button->SetLightColor(clBtnFace);
    button->SetShadowColor(clBtnFace);
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPixelSize(11);
    button->setFont(font);
    button->setToolTip(hint);
    button->setCursor(Qt::PointingHandCursor);
    button->SetGlyph(TopBarGlyph(picture));
    button->SetNumGlyphs(4);
    return button;
}

} // namespace

TFormMain::TFormMain(const TAppSettings& settings, const MainWindowSeams& seams, QWidget* parent)
    : QWidget(parent)
    , settings_(settings)
    , clock_(seams.clock ? *seams.clock : Clock::System())
    , probePorts_(seams.probePorts ? seams.probePorts : [] { return ProbeSerialPorts(); })
    , sound_(seams.sound)
{
    setObjectName(QStringLiteral("FormMain"));
    setMinimumSize(SettingRange::MinWidth, SettingRange::MinHeight);
    if (!sound_) {
        ownSound_ = new QtSoundPlayer(this);
        sound_ = ownSound_;
    }

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(BuildTopBar());
    auto* body = new QFrame(this);
    body->setObjectName(QStringLiteral("Panel2"));
    body->setFrameShape(QFrame::Panel);
    body->setFrameShadow(QFrame::Sunken);
    auto* bodyLayout = new QHBoxLayout(body);
    bodyLayout->setContentsMargins(1, 1, 1, 1);
    bodyLayout->setSpacing(0);
    bodyLayout->addWidget(BuildLeftPanel());
    bodyLayout->addWidget(BuildRightPanel(), 1);
    layout->addWidget(body, 1);
    layout->insertWidget(1, BuildNotice());
    BuildHiddenMenu();

    protocol_ = new ProtocolModel(this);
    protocolGrid_ = new ProtocolGrid(*SortGrid1, *protocol_);
    connect(protocol_, &ProtocolModel::ProtocolCommands, this, [this](bool hasRuns) {
        for (QToolButton* b : {sbCLS, sbPrint, sbExcel, sbWord, sbSave, sbInet})
            b->setEnabled(hasRuns);
    });
    FrameT1->SetProtocol(protocol_);
    FrameT2->SetProtocol(protocol_);

    RunControlParts parts;
    parts.frameT1 = FrameT1;
    parts.frameT2 = FrameT2;
    parts.protocol = protocol_;
    parts.mStart = mStart;
    parts.mStop = mStop;
    parts.mReset = mReset;
    parts.mAvaria = mAvaria;
    parts.bSTART = bSTART;
    parts.bSTOP = bSTOP;
    parts.bRESET = bRESET;
    parts.bAVARIA = bAVARIA;
    parts.sound = sound_;
    runControl_ = new RunControl(parts, this);
    barrier_ = new LightBarrierInput(*runControl_, ImageLSstop, clock_, this);
    connect(runControl_, &RunControl::AllLanesStarted, barrier_, &LightBarrierInput::ArmAfterLastStart);
    connect(runControl_, &RunControl::NoLaneRunning, barrier_, &LightBarrierInput::BlockAfterLastStop);
    connect(runControl_, &RunControl::RundenModeSet, barrier_, &LightBarrierInput::SetRunden);
    runControl_->ShowMessage = [this](const QString& message) {
        QMessageBox::warning(this, QCoreApplication::applicationName(), message);
    };
    CreateComPort(seams.serialDevice);
    CreateJournal(seams);
    CreateFileCommands();

    connect(Modus1, &QAction::triggered, runControl_, &RunControl::Modus1Click);
    connect(Erase1, &QAction::triggered, runControl_, &RunControl::Erase1Click);
    connect(Zeileentfernen1, &QAction::triggered, runControl_, &RunControl::Erase1Click);
    connect(Leerenzeilenentfernen1, &QAction::triggered, runControl_, &RunControl::Leerenzeilenentfernen1Click);
    connect(LockLS, &QAction::triggered, barrier_, &LightBarrierInput::LockLSClick);
    connect(EinstellunGen1, &QAction::triggered, this, &TFormMain::bCFGClick);
    connect(Hilfe1, &QAction::triggered, this, &TFormMain::bHelpClick);
    connect(mHilfe, &QAction::triggered, this, &TFormMain::bHelpClick);
    connect(mInfo, &QAction::triggered, this, &TFormMain::bInfoClick);
    ShowInfo = [this](const QString& caption, const QString& text) {
        QMessageBox::information(this, caption, text);
    };
    connect(PopupMenuProtokol, &QMenu::aboutToShow, this, &TFormMain::PopupMenuProtokolPopup);
    connect(SortGrid1, &TSortGrid::RowSelected, this, [this] { runControl_->SortGrid1RowSelected(); });
    // The window's resize reaches the grid through the layouts; "Zeit" takes
    // what the other columns leave once the grid has its new size.
    connect(SortGrid1, &TSortGrid::Resized, this, [this] { protocolGrid_->FitProtocolColumns(); });

    FormCreate(seams);
    SortGrid1->setFocus();
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
    sbInet->setProperty("Tag", 0);
    sbPrint->setProperty("Tag", 1);
    connect(sbInet, &QToolButton::clicked, exports_, [this] { exports_->sbInetClick(sbInet); });
    connect(sbPrint, &QToolButton::clicked, exports_, [this] { exports_->sbInetClick(sbPrint); });
    connect(sbWord, &QToolButton::clicked, exports_, &ProtocolExports::sbWordClick);
    connect(sbExcel, &QToolButton::clicked, exports_, &ProtocolExports::sbExcelClick);
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
    fallbackPort_ = seams.fallbackPort;
    CreateExports(seams.exports);
    setWindowTitle(QCoreApplication::applicationName() + QLatin1Char(' ') + QStringLiteral(RAVOLT_VERSION));
    // The sounds are read once now, so no start or stop waits for a file.
    PreloadSounds();
    paths_.ReadFileTypeNames();
    settings_ = LoadSettings(*store_, settings_);
    RestoreGeometry();
    // An index beyond the screens (or below them) falls back to the first.
    const int screens = int(QGuiApplication::screens().size());
    if (settings_.Monitor > screens - 1 || settings_.Monitor < 0)
        settings_.Monitor = 0;
    ImageTVAus->setVisible(screens > 1);
    FileCommands->SetTypeNames(paths_.TextTypeName, paths_.WordTypeName, paths_.WebTypeName);
    FileCommands->SetFilterIndex(settings_.FilterInd);
    // The save dialog's document and web-page types are written by the exports,
    // which report their own failures.
    FileCommands->ExportToWord = [this](const QString& path) {
        exports_->ExportToWord(ProtocolExports::WordMode::SaveAndClose, path);
        return true;
    };
    FileCommands->WriteHtmlPage = [this](const QString& path) { return exports_->WriteHtmlPage(path); };
    FileCommands->SetDirectory(paths_.ProgramDir);
    TimerDateTimer();
    // Whether the adapter can serve the barriers as wired depends on the
    // mode: the watch knows it before the port opens and names the driver.
    if (!seams.sysfsRoot.empty())
        portWatch_->SetSysfsRoot(seams.sysfsRoot);
    portWatch_->SetRunden(settings_.Runden);
    OpenComPort();
    // The header row was written when the protocol table was set up.
    protocol_->UpdateProtocolCommands();
    // Silently unless the backup cannot be read back as it is; from now on
    // every change of the protocol is backed up.
    CreateBackup();
    FileCommands->RestoreBackup(paths_.BackupToRead(), *Backup);
    connect(protocol_, &ProtocolModel::Changed, Backup, &ProtocolBackup::Schedule);
    // Ranking the restored rows may have moved the selection: no stray F11
    // may void a restored result.
    runControl_->DisableAccident();
    // The run control started with STOPP, reset and accident disabled and
    // the barrier indicator in its first state; everything else the settings
    // say comes now, Runden mode last.
    ApplySettings(settings_);
    // The lanes go on where they stood at the last exit or crash.
    StartNumbers->Restore(paths_.BackupToRead());
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
    ComPort->Close();
    Backup->WriteNow();
    StartNumbers->WriteNow();
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
    s.FilterInd = FileCommands->FilterIndex();
    return s;
}

bool TFormMain::StoreSettings()
{
    return SaveSettings(*store_, CurrentSettings());
}

bool TFormMain::FormCloseQuery()
{
    if ((FrameT1->Running() || FrameT2->Running()) && !(FDlgYesNo && FDlgYesNo->Ask(QStringLiteral("Beenden?"))))
        return false;
    return exitQuestion_->MayClose(*Backup, protocol_->HasRuns());
}

void TFormMain::closeEvent(QCloseEvent* event)
{
    event->setAccepted(FormCloseQuery());
}

void TFormMain::CreateFileCommands()
{
    FileCommands = new ProtocolFileCommands(*protocol_, *runControl_, *FrameT2, clock_, this);
    FileCommands->Ask = [this](const QString& question) { return FDlgYesNo && FDlgYesNo->Ask(question); };
    FileCommands->SetJournal(journal_.get());
    connect(sbSave, &QToolButton::clicked, FileCommands, &ProtocolFileCommands::sbSaveClick);
    connect(sbLoad, &QToolButton::clicked, FileCommands, &ProtocolFileCommands::sbLoadClick);
    connect(sbCLS, &QToolButton::clicked, FileCommands, &ProtocolFileCommands::sbCLSClick);
    // Always enabled: F8 asks also when the clear button is disabled.
    connect(New1, &QAction::triggered, FileCommands, &ProtocolFileCommands::sbCLSClick);
}

QLabel* TFormMain::BuildNotice()
{
    LabNotice = new QLabel(this);
    LabNotice->setObjectName(QStringLiteral("LabNotice"));
    LabNotice->setAlignment(Qt::AlignCenter);
    // A notice naming a long folder wraps rather than being cut off.
    LabNotice->setWordWrap(true);
    LabNotice->setFont(Bold(QStringLiteral("Arial"), 12));
    Paint(LabNotice, QPalette::Window, QColor(0xFF, 0xFF, 0x00));
    Paint(LabNotice, QPalette::WindowText, QColor(0xC0, 0x00, 0x00));
    notice_ = std::make_unique<OperatorNotice>(LabNotice, PanelLeft);
    return LabNotice;
}

void TFormMain::CreateBackup()
{
    Backup = new ProtocolBackup(paths_.BackupFileName, [this] { return protocol_->SharedRows(); }, this);
    Backup->SetFallback(paths_.BackupFallbackName);
    // The notice stays until a later write succeeds; timing goes on meanwhile.
    connect(Backup, &ProtocolBackup::StatusChanged, this,
            [this](const QString& notice) { notice_->Set(OperatorNotice::Backup, notice); });
    StartNumbers = new StartNumberBackup(*FrameT1, *FrameT2, *runControl_, [this] { return Backup->Path(); }, this);
    StartNumbers->SetJournal(journal_.get());
    // Starts and stops change the protocol, a reset the numbers; a reset
    // that leaves the numbers as they were still ends a shown result.
    connect(protocol_, &ProtocolModel::Changed, StartNumbers, &StartNumberBackup::Schedule);
    connect(mReset, &QAction::triggered, StartNumbers, &StartNumberBackup::Schedule);
    exitQuestion_ = std::make_unique<BackupExitQuestion>(this);
    exitQuestion_->SaveElsewhere = [this] { FileCommands->sbSaveClick(); };
}

void TFormMain::CreateYesNoDialog()
{
    FDlgYesNo = new TFDlgYesNo(this);
}

QWidget* TFormMain::BuildTopBar()
{
    auto* bar = new QWidget(this);
    bar->setObjectName(QStringLiteral("Panel1"));
    bar->setFixedHeight(38);
    Paint(bar, QPalette::Window, palette().color(QPalette::Dark));
    auto* layout = new QHBoxLayout(bar);
    layout->setContentsMargins(0, 0, 0, 0);

    // Help, settings and info, then the logo, which is a link.
    layout->setSpacing(0);
    bHelp = TopBarButton(bar, "bHelp", QStringLiteral("Hilfe (F1)"), TopBarPicture::Help);
    bCFG = TopBarButton(bar, "bCFG", QStringLiteral("Einstellungen (F2)"), TopBarPicture::Settings);
    bInfo = TopBarButton(bar, "bInfo", QStringLiteral("Info (F3)"), TopBarPicture::Info);
    connect(bHelp, &TLbSpeedButton::Clicked, this, &TFormMain::bHelpClick);
    connect(bCFG, &TLbSpeedButton::Clicked, this, &TFormMain::bCFGClick);
    connect(bInfo, &TLbSpeedButton::Clicked, this, &TFormMain::bInfoClick);
    for (TLbSpeedButton* b : {bHelp, bCFG, bInfo})
        layout->addWidget(b);
    layout->addSpacing(12);
    ImageDE = new DeskLogo(bar);
    connect(ImageDE, &DeskLogo::Clicked, this, &TFormMain::ImageDEClick);
    layout->addWidget(ImageDE);
    layout->addStretch(1);

    PanelDate = new QLabel(QStringLiteral("00:00"), bar);
    PanelDate->setObjectName(QStringLiteral("PanelDate"));
    PanelDate->setFixedWidth(222);
    PanelDate->setFrameShape(QFrame::Panel);
    PanelDate->setFrameShadow(QFrame::Sunken);
    PanelDate->setLineWidth(2);
    PanelDate->setAlignment(Qt::AlignCenter);
    PanelDate->setFont(ArialPixels(24, false));
    Paint(PanelDate, QPalette::Window, Qt::black);
    Paint(PanelDate, QPalette::WindowText, QColor(0xC0, 0xC0, 0xC0));
    layout->addWidget(PanelDate);

    TimerDate = new QTimer(this);
    TimerDate->setObjectName(QStringLiteral("TimerDate"));
    // Re-armed for the next minute's start each time it fires.
    TimerDate->setTimerType(Qt::PreciseTimer);
    connect(TimerDate, &QTimer::timeout, this, &TFormMain::TimerDateTimer);
    return bar;
}

QWidget* TFormMain::BuildLeftPanel()
{
    auto* panel = new QWidget(this);
    PanelLeft = panel;
    panel->setObjectName(QStringLiteral("PanelLeft"));
    panel->setFixedWidth(395);
    Paint(panel, QPalette::Window, palette().color(QPalette::Dark));
    panel->setFont(ArialPixels(19));

    FrameT1 = new TFrame1(0, clock_, panel);
    FrameT1->move(11, 6);
    FrameT2 = new TFrame1(1, clock_, panel);
    FrameT2->move(11, 155);

    // Strips along the top, down the left edge and between the lanes and the buttons.
    const QRect strips[] = {{11, 0, 374, 5}, {2, 6, 7, 364}, {11, 299, 374, 6}};
    for (int i = 0; i < 3; ++i) {
        auto* strip = new QLabel(panel);
        strip->setObjectName(QStringLiteral("Image%1").arg(i + 1));
        strip->setGeometry(strips[i]);
        strip->setPixmap(DecorativeStrip(strips[i].size()));
    }

    TLbSpeedButton** runButtons[] = {&bSTART, &bSTOP, &bRESET, &bAVARIA};
    for (std::size_t i = 0; i < std::size(runButtons); ++i)
        *runButtons[i] = RunButton(panel, RunButtonLooks[i]);

    ImageLSstop = new TImage(panel);
    ImageLSstop->setObjectName(QStringLiteral("ImageLSstop"));
    ImageLSstop->setGeometry(11, 354, 22, 22);

    // The on picture lies over the off picture: together one on/off switch.
    ImageTVAus = new TImage(panel);
    ImageTVAus->setObjectName(QStringLiteral("ImageTVAus"));
    ImageTVAus->setGeometry(45, 354, 30, 22);
    ImageTVAus->setPixmap(TvPicture(false));
    ImageTVAus->setToolTip(QStringLiteral("Strg+M"));
    connect(ImageTVAus, &TImage::Clicked, this, &TFormMain::ImageTVAusClick);
    ImageTVEin = new TImage(panel);
    ImageTVEin->setObjectName(QStringLiteral("ImageTVEin"));
    ImageTVEin->setGeometry(ImageTVAus->geometry());
    ImageTVEin->setPixmap(TvPicture(true));
    ImageTVEin->setToolTip(QStringLiteral("Strg+M"));
    ImageTVEin->hide();
    connect(ImageTVEin, &TImage::Clicked, this, &TFormMain::ImageTVEinClick);
    // The panel's parts are placed, not laid out: its height must hold them.
    panel->setMinimumHeight(panel->childrenRect().bottom() + 1);
    return panel;
}

QToolButton* TFormMain::ProtocolButton(QWidget* parent, const char* name, const QString& hint, ProtocolPicture icon)
{
    auto* button = new QToolButton(parent);
    button->setObjectName(QLatin1String(name));
    button->setToolTip(hint);
    button->setFixedSize(36, 39);
    button->setIcon(ProtocolIcon(icon));
    button->setIconSize(QSize(24, 24));
    button->setAutoRaise(true);
    return button;
}

QWidget* TFormMain::BuildRightPanel()
{
    auto* panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("Panel3"));
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    auto* strip = new QWidget(panel);
    strip->setObjectName(QStringLiteral("Panel4"));
    strip->setFixedHeight(42);
    Paint(strip, QPalette::Window, palette().color(QPalette::Dark));
    auto* stripLayout = new QHBoxLayout(strip);
    stripLayout->setContentsMargins(2, 0, 2, 0);
    stripLayout->setSpacing(0);
    sbSave = ProtocolButton(strip, "sbSave", QStringLiteral("Speichern unter..."), ProtocolPicture::Save);
    sbLoad = ProtocolButton(strip, "sbLoad", QStringLiteral("Öffnen"), ProtocolPicture::Load);
    sbExcel = ProtocolButton(strip, "sbExcel", QStringLiteral("Datei in MS Excel"), ProtocolPicture::Workbook);
    sbWord = ProtocolButton(strip, "sbWord", QStringLiteral("Datei in MS Word"), ProtocolPicture::Document);
    sbInet = ProtocolButton(strip, "sbInet", QStringLiteral("Als Webseite"), ProtocolPicture::WebPage);
    sbPrint = ProtocolButton(strip, "sbPrint", QStringLiteral("Drucken"), ProtocolPicture::Print);
    sbCLS = ProtocolButton(strip, "sbCLS", QStringLiteral("Löschen (F8)"), ProtocolPicture::Clear);
    for (QToolButton* b : {sbSave, sbLoad, sbExcel, sbWord})
        stripLayout->addWidget(b);
    auto* caption = new QLabel(QStringLiteral("      Protokoll"), strip);
    caption->setObjectName(QStringLiteral("Panel4Caption"));
    caption->setFont(ArialPixels(19));
    // At the smallest window size the caption yields, not the buttons or lanes.
    caption->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    caption->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    stripLayout->addWidget(caption, 1);
    for (QToolButton* b : {sbInet, sbPrint, sbCLS})
        stripLayout->addWidget(b);
    layout->addWidget(strip);


    SortGrid1 = new TSortGrid(panel);
    SortGrid1->setObjectName(QStringLiteral("SortGrid1"));
    layout->addWidget(SortGrid1, 1);

    PopupMenuProtokol = new QMenu(this);
    PopupMenuProtokol->setObjectName(QStringLiteral("PopupMenuProtokol"));
    Erase1 = PopupMenuProtokol->addAction(QStringLiteral("Zeile entfernen (Strg+0)"));
    Erase1->setObjectName(QStringLiteral("Erase1"));
    Leerenzeilenentfernen1 = PopupMenuProtokol->addAction(QStringLiteral("Leeren zeilen entfernen"));
    Leerenzeilenentfernen1->setObjectName(QStringLiteral("Leerenzeilenentfernen1"));
    SortGrid1->SetPopupMenu(PopupMenuProtokol);
    return panel;
}

void TFormMain::BuildHiddenMenu()
{
    HideMenu1 = new HiddenMenu(this);
    const std::pair<QAction**, const char*> items[] = {
        {&mStart, "mStart"}, {&mStop, "mStop"}, {&mReset, "mReset"}, {&mAvaria, "mAvaria"},
        {&New1, "New1"}, {&Modus1, "Modus1"}, {&Hilfe1, "Hilfe1"}, {&EinstellunGen1, "EinstellunGen1"},
        {&mHilfe, "mHilfe"}, {&mInfo, "mInfo"}, {&Zeileentfernen1, "Zeileentfernen1"}, {&LockLS, "LockLS"},
    };
    for (const auto& [member, name] : items)
        *member = HideMenu1->Item(name);
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
    // The dialog may offer a screen that has gone since it opened.
    if (settings_.Monitor < 0 || settings_.Monitor >= int(QGuiApplication::screens().size()))
        settings_.Monitor = 0;
    protocol_->SetManyStart(settings_.ManyStart);
    protocol_->SetLength(settings_.Length);
    runControl_->SetSound(settings_.Sound);
    barrier_->SetAlg(settings_.Alg);
    barrier_->SetWaitStart(settings_.WaitStart);
    if (FormMonitor2) {
        FormMonitor2->SetTitle(settings_.Title);
        FormMonitor2->SetMonitor(settings_.Monitor);
        FormMonitor2->PlaceOnMonitor();
    }
    runControl_->SetRundenMode(settings_.Runden);
    portWatch_->SetRunden(settings_.Runden);
}

void TFormMain::CreateComPort(const TComPort::DeviceFactory& devices)
{
    // The barriers loop DTR back into DSR and RTS into CTS; only those two
    // line changes are of interest, no data ever crosses the line.
    ComPort = new TComPort(this);
    ComPort->setObjectName(QStringLiteral("ComPort"));
    ComPort->SetBaudRate(br9600);
    ComPort->SetBaudRateUser(28800);
    ComPort->SetPort(0);
    ComPort->SetParity(prNone);
    ComPort->SetStopBits(sbOneStopBit);
    ComPort->SetFlowControl(fcRtsCts);
    ComPort->SetDataBits(5);
    ComPort->SetEvents({evCTS, evDSR});
    ComPort->SetEnableDTR(true);
    ComPort->SetWriteBufSize(64);
    ComPort->SetReadBufSize(64);
    if (devices)
        ComPort->SetDeviceFactory(devices);
    // The worker stamps each line change with the lanes' clock; the barrier
    // input judges the lines as they were at that moment.
    ComPort->SetClock(clock_);
    ComPort->OnCTS = [this](TComPort*, const LineEvent& event) { barrier_->ComPortHARD(event); };
    ComPort->OnDSR = [this](TComPort*, const LineEvent& event) { barrier_->ComPortHARD(event); };
    portWatch_ = new BarrierPortWatch(*ComPort, this);
    portWatch_->OnNotice = [this](const QString& notice) { notice_->Set(OperatorNotice::BarrierPort, notice); };
    ComPort->OnOpen = [this](TComPort*) {
        barrier_->ComPortOpen();
        portWatch_->PortOpened();
    };
    ComPort->OnClose = [this](TComPort*) {
        barrier_->ComPortClose();
        portWatch_->PortClosed();
    };
    ComPort->OnGone = [this](TComPort*) { portWatch_->PortGone(); };
    // A timer rather than a sleep: the clocks keep running during the pause.
    TimerPortReopen = new QTimer(this);
    TimerPortReopen->setObjectName(QStringLiteral("TimerPortReopen"));
    TimerPortReopen->setSingleShot(true);
    TimerPortReopen->setInterval(50);
    connect(TimerPortReopen, &QTimer::timeout, this, &TFormMain::OpenComPort);
}

void TFormMain::CreateJournal(const MainWindowSeams& seams)
{
    journal_ = std::make_unique<Journal>(
        seams.journalFolder.isEmpty() ? Journal::DefaultFolder() : seams.journalFolder, clock_);
    connect(journal_.get(), &Journal::NoticeChanged, this,
            [this](const QString& notice) { notice_->Set(OperatorNotice::Journal, notice); });
    journal_->Prune();
    journal_->Record(QStringLiteral("Programmstart ") + QCoreApplication::applicationName() + QLatin1Char(' ') +
                     QStringLiteral(RAVOLT_VERSION));
    runControl_->SetJournal(journal_.get());
    runControl_->OnNotice = [this](const QString& notice) { notice_->Set(OperatorNotice::ReplacedResult, notice); };
    portWatch_->SetJournal(journal_.get());
    // Every edge the port reported, suppressed ones too, at the edge's tick;
    // a second report of the same lines is no edge.
    connect(barrier_, &LightBarrierInput::Edge, this, [this](const BarrierEdgeNote& note) {
        if (note.outcome != BarrierOutcome::Unchanged)
            journal_->Record(note.stamp.tick, BarrierEdgeText(note));
    });
}

void TFormMain::OpenComPort()
{
    const std::uint8_t port = settings_.Port != 0 ? settings_.Port : fallbackPort_;
    if (port == 0)
        return;
    ComPort->SetPort(port);
    try {
        ComPort->Open();
    } catch (const EComHandle& e) {
        NoBarrierPort(e.ErrorCode());
    } catch (const EComState& e) {
        NoBarrierPort(e.ErrorCode());
    }
}

void TFormMain::NoBarrierPort(int error)
{
    // A missing or busy port leaves the barriers inactive; the manual
    // commands still work, the hidden lock indicator shows no port, and the
    // watch says why and keeps looking for it.
    barrier_->ComPortClose();
    portWatch_->PortFailed(error);
}

void TFormMain::ReopenComPort()
{
    try {
        ComPort->Close();
    } catch (const std::exception&) {
        // A port that fails to close is opened anew all the same.
    }
    if (settings_.Port != 0)
        TimerPortReopen->start();
    else
        ComPort->SetPort(0); // "Kein": a lost adapter is no longer looked for
}

void TFormMain::CreateCfgDialog()
{
    CfgDialog = new TCfgDialog(this);
    CfgDialog->FormCreate(settings_);
    protocol_->SetLength(settings_.Length);
}

void TFormMain::bCFGClick()
{
    if (!CfgDialog || CfgDialog->isVisible())
        return;
    // The probe cannot open the port held here, so that one is added.
    std::uint32_t ports = probePorts_();
    if (ComPort->Connected())
        ports = AddAvailablePort(ports, ComPort->Port());
    if (const std::optional<TAppSettings> chosen = CfgDialog->Edit(settings_, ports)) {
        ApplySettings(*chosen);
        // Reopened on every "OK", so a port that failed before is tried again.
        ReopenComPort();
        StoreSettings();
    }
    PanelLeft->setFocus();
}

void TFormMain::CreateSpectatorWindow()
{
    FormMonitor2 = new TFormMonitor2(FrameT1, FrameT2, this);
    FormMonitor2->ReadStartNumbers = [this] {
        return TFormMonitor2::StartNumbers{FrameT1->editStartN1->value(), FrameT1->editStartN2->value(),
                                           FrameT2->editStartN1->value(), FrameT2->editStartN2->value()};
    };
    connect(FormMonitor2, &TFormMonitor2::BestTimeWanted, this, [this] { FrameT2->ShowTime(protocol_->BestTime()); });
    connect(FormMonitor2, &TFormMonitor2::IndicatorChanged, ImageTVEin, &QWidget::setVisible);
    FormMonitor2->SetRunden(settings_.Runden);
    FormMonitor2->FormCreate(settings_.Title, settings_.Monitor);
    runControl_->SetSpectator(FormMonitor2);
}

void TFormMain::ImageTVAusClick()
{
    FormMonitor2->show();
    // On another monitor the operator keeps typing into the main window.
    if (FormMonitor2->Monitor() != 0)
        activateWindow();
}

void TFormMain::ImageTVEinClick()
{
    FormMonitor2->close();
}

void TFormMain::TimerDateTimer()
{
    const QDateTime now = clock_.LocalNow();
    const QString text = DatePanelText(now, QLocale());
    // Some locales write long dates: the font shrinks rather than the text being cut.
    QFont font = ArialPixels(24, false);
    const int room = PanelDate->width() - 2 * PanelDate->frameWidth() - 4;
    while (font.pixelSize() > 10 && QFontMetrics(font).horizontalAdvance(text) > room)
        font.setPixelSize(font.pixelSize() - 1);
    PanelDate->setFont(font);
    PanelDate->setText(text);
    TimerDate->start(MsToNextMinute(now));
}

void TFormMain::bHelpClick()
{
    if (!HelpWindow)
        HelpWindow = new THelpWindow(this);
    HelpWindow->ShowContents(paths_.HelpFilePath);
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
    Leerenzeilenentfernen1->setEnabled(runControl_->EmptyRowRemovalAllowed());
    protocol_->UpdateProtocolCommands();
}
