#include "DeskView.h"

#include "Clock.h"
#include "DatePanelText.h"
#include "DeskFont.h"
#include "DeskLogo.h"
#include "DeskPictures.h"
#include "DrawnPicture.h"
#include "HiddenMenu.h"
#include "LiveLink.h"
#include "MainWindowGeometry.h"
#include "TAppSettings.h"
#include "TFrame1.h"
#include "TImage.h"
#include "TLbSpeedButton.h"
#include "TSortGrid.h"
#include "TvPictures.h"

#include <QAction>
#include <QEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QScreen>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

void Paint(QWidget* widget, QPalette::ColorRole role, const QColor& color)
{
    QPalette palette = widget->palette();
    palette.setColor(role, color);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
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
    button->setFont(DeskFontPixels(19));
    button->SetFontColor(look.fontColor);
    button->SetHotTrackFont(DeskFontPixels(21), look.hotTrackFontColor);
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

QToolButton* ProtocolButton(QWidget* parent, const char* name, const QString& hint, ProtocolPicture icon)
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

} // namespace

DeskView::DeskView(QWidget& window, const Clock& clock)
    : QObject(&window)
    , window_(window)
    , clock_(clock)
{
    window.setObjectName(QStringLiteral("FormMain"));
    window.setMinimumSize(SettingRange::MinWidth, SettingRange::MinHeight);
    auto* layout = new QVBoxLayout(&window);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(BuildTopBar(window));
    auto* body = new QFrame(&window);
    body->setObjectName(QStringLiteral("Panel2"));
    body->setFrameShape(QFrame::Panel);
    body->setFrameShadow(QFrame::Sunken);
    auto* bodyLayout = new QHBoxLayout(body);
    bodyLayout->setContentsMargins(1, 1, 1, 1);
    bodyLayout->setSpacing(0);
    bodyLayout->addWidget(BuildLeftPanel(window));
    bodyLayout->addWidget(BuildRightPanel(window), 1);
    layout->addWidget(body, 1);
    layout->insertWidget(1, BuildNotice(window));
    BuildHiddenMenu(window);
    connect(w_.TimerDate, &QTimer::timeout, this, &DeskView::TimerDateTimer);
    // The top bar's buttons run the same commands as their keys.
    connect(w_.bHelp, &TLbSpeedButton::Clicked, w_.Hilfe1, &QAction::trigger);
    connect(w_.bCFG, &TLbSpeedButton::Clicked, w_.EinstellunGen1, &QAction::trigger);
    connect(w_.bInfo, &TLbSpeedButton::Clicked, w_.mInfo, &QAction::trigger);
}

RunControlParts DeskView::RunParts(ProtocolModel* protocol, SoundPlayer* sound) const
{
    RunControlParts parts;
    parts.protocol = protocol;
    parts.sound = sound;
    parts.frameT1 = w_.FrameT1;
    parts.frameT2 = w_.FrameT2;
    parts.mStart = w_.mStart;
    parts.mStop = w_.mStop;
    parts.mReset = w_.mReset;
    parts.mAvaria = w_.mAvaria;
    parts.bSTART = w_.bSTART;
    parts.bSTOP = w_.bSTOP;
    parts.bRESET = w_.bRESET;
    parts.bAVARIA = w_.bAVARIA;
    return parts;
}

void DeskView::RestoreGeometry(const TAppSettings& settings)
{
    std::optional<QPoint> corner;
    if (settings.Left && settings.Top)
        corner = QPoint(*settings.Left, *settings.Top);
    QList<QRect> screens;
    for (const QScreen* screen : QGuiApplication::screens())
        screens.append(screen->availableGeometry());
    // A position on a screen that is gone would put the window out of reach:
    // the window system places it then.
    const MainWindowGeometry fitted =
        FitMainWindow(corner, QSize(settings.Width, settings.Height), window_.minimumSize(), screens);
    window_.resize(fitted.size);
    if (fitted.corner)
        window_.move(*fitted.corner);
}

bool DeskView::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if ((watched == w_.PanelLeft && type == QEvent::Resize) ||
        (watched == w_.PanelLive && (type == QEvent::ShowToParent || type == QEvent::HideToParent || type == QEvent::Resize)))
        PlaceLiveLink();
    return QObject::eventFilter(watched, event);
}

void DeskView::PlaceLiveLink()
{
    constexpr int kGap = 4;
    QWidget* panel = w_.PanelLeft;
    LiveLink* link = w_.PanelLive;
    const int top = std::max(leftPartsBottom_ + kGap, panel->height() - link->height());
    link->setGeometry(11, top, 374, link->height());
    // The window grows for a notice so that the lanes, the buttons and a shown code stay whole.
    panel->setMinimumHeight(leftPartsBottom_ + (link->isVisibleTo(panel) ? kGap + link->height() : 0));
}

void DeskView::SetProtocolCommands(bool hasRuns)
{
    for (QToolButton* b : {w_.sbCLS, w_.sbPrint, w_.sbExcel, w_.sbWord, w_.sbSave, w_.sbInet})
        b->setEnabled(hasRuns);
}

void DeskView::SetScreens(int screens)
{
    w_.ImageTVAus->setVisible(screens > 1);
}

void DeskView::TimerDateTimer()
{
    const QDateTime now = clock_.LocalNow();
    const QString text = DatePanelText(now, QLocale());
    // Some locales write long dates: the font shrinks rather than the text being cut.
    QFont font = DeskFontPixels(24, false);
    const int room = w_.PanelDate->width() - 2 * w_.PanelDate->frameWidth() - 4;
    while (font.pixelSize() > 10 && QFontMetrics(font).horizontalAdvance(text) > room)
        font.setPixelSize(font.pixelSize() - 1);
    w_.PanelDate->setFont(font);
    w_.PanelDate->setText(text);
    w_.TimerDate->start(MsToNextMinute(now));
}

QLabel* DeskView::BuildNotice(QWidget& window)
{
    w_.LabNotice = new QLabel(&window);
    w_.LabNotice->setObjectName(QStringLiteral("LabNotice"));
    w_.LabNotice->setAlignment(Qt::AlignCenter);
    // A notice naming a long folder wraps rather than being cut off.
    w_.LabNotice->setWordWrap(true);
    w_.LabNotice->setFont(DeskFontPoints(12));
    Paint(w_.LabNotice, QPalette::Window, QColor(0xFF, 0xFF, 0x00));
    Paint(w_.LabNotice, QPalette::WindowText, QColor(0xC0, 0x00, 0x00));
    return w_.LabNotice;
}

QWidget* DeskView::BuildTopBar(QWidget& window)
{
    auto* bar = new QWidget(&window);
    bar->setObjectName(QStringLiteral("Panel1"));
    bar->setFixedHeight(38);
    Paint(bar, QPalette::Window, window.palette().color(QPalette::Dark));
    auto* layout = new QHBoxLayout(bar);
    layout->setContentsMargins(0, 0, 0, 0);

    // Help, settings and info, then the logo, which is a link.
    layout->setSpacing(0);
    w_.bHelp = TopBarButton(bar, "bHelp", QStringLiteral("Hilfe (F1)"), TopBarPicture::Help);
    w_.bCFG = TopBarButton(bar, "bCFG", QStringLiteral("Einstellungen (F2)"), TopBarPicture::Settings);
    w_.bInfo = TopBarButton(bar, "bInfo", QStringLiteral("Info (F3)"), TopBarPicture::Info);
    for (TLbSpeedButton* b : {w_.bHelp, w_.bCFG, w_.bInfo})
        layout->addWidget(b);
    layout->addSpacing(12);
    w_.ImageDE = new DeskLogo(bar);
    layout->addWidget(w_.ImageDE);
    layout->addStretch(1);

    w_.PanelDate = new QLabel(QStringLiteral("00:00"), bar);
    w_.PanelDate->setObjectName(QStringLiteral("PanelDate"));
    w_.PanelDate->setFixedWidth(222);
    w_.PanelDate->setFrameShape(QFrame::Panel);
    w_.PanelDate->setFrameShadow(QFrame::Sunken);
    w_.PanelDate->setLineWidth(2);
    w_.PanelDate->setAlignment(Qt::AlignCenter);
    w_.PanelDate->setFont(DeskFontPixels(24, false));
    Paint(w_.PanelDate, QPalette::Window, Qt::black);
    Paint(w_.PanelDate, QPalette::WindowText, QColor(0xC0, 0xC0, 0xC0));
    layout->addWidget(w_.PanelDate);

    w_.TimerDate = new QTimer(this);
    w_.TimerDate->setObjectName(QStringLiteral("TimerDate"));
    // Re-armed for the next minute's start each time it fires.
    w_.TimerDate->setTimerType(Qt::PreciseTimer);
    return bar;
}

QWidget* DeskView::BuildLeftPanel(QWidget& window)
{
    auto* panel = new QWidget(&window);
    w_.PanelLeft = panel;
    panel->setObjectName(QStringLiteral("PanelLeft"));
    panel->setFixedWidth(395);
    Paint(panel, QPalette::Window, window.palette().color(QPalette::Dark));
    panel->setFont(DeskFontPixels(19));

    w_.FrameT1 = new TFrame1(0, clock_, panel);
    w_.FrameT1->move(11, 6);
    w_.FrameT2 = new TFrame1(1, clock_, panel);
    w_.FrameT2->move(11, 155);

    // Strips along the top, down the left edge and between the lanes and the buttons.
    const QRect strips[] = {{11, 0, 374, 5}, {2, 6, 7, 364}, {11, 299, 374, 6}};
    for (int i = 0; i < 3; ++i) {
        auto* strip = new QLabel(panel);
        strip->setObjectName(QStringLiteral("Image%1").arg(i + 1));
        strip->setGeometry(strips[i]);
        strip->setPixmap(DecorativeStrip(strips[i].size()));
    }

    TLbSpeedButton** runButtons[] = {&w_.bSTART, &w_.bSTOP, &w_.bRESET, &w_.bAVARIA};
    for (std::size_t i = 0; i < std::size(runButtons); ++i)
        *runButtons[i] = RunButton(panel, RunButtonLooks[i]);

    w_.ImageLSstop = new TImage(panel);
    w_.ImageLSstop->setObjectName(QStringLiteral("ImageLSstop"));
    w_.ImageLSstop->setGeometry(11, 354, 22, 22);

    // The on picture lies over the off picture: together one on/off switch.
    w_.ImageTVAus = new TImage(panel);
    w_.ImageTVAus->setObjectName(QStringLiteral("ImageTVAus"));
    w_.ImageTVAus->setGeometry(45, 354, 30, 22);
    w_.ImageTVAus->setPixmap(TvPicture(false));
    w_.ImageTVAus->setToolTip(QStringLiteral("Strg+M"));
    w_.ImageTVEin = new TImage(panel);
    w_.ImageTVEin->setObjectName(QStringLiteral("ImageTVEin"));
    w_.ImageTVEin->setGeometry(w_.ImageTVAus->geometry());
    w_.ImageTVEin->setPixmap(TvPicture(true));
    w_.ImageTVEin->setToolTip(QStringLiteral("Strg+M"));
    w_.ImageTVEin->hide();
    // The panel's parts are placed, not laid out: its height must hold them.
    leftPartsBottom_ = panel->childrenRect().bottom() + 1;
    panel->setMinimumHeight(leftPartsBottom_);
    w_.PanelLive = new LiveLink(panel);
    panel->installEventFilter(this);
    w_.PanelLive->installEventFilter(this);
    return panel;
}


QWidget* DeskView::BuildRightPanel(QWidget& window)
{
    auto* panel = new QWidget(&window);
    panel->setObjectName(QStringLiteral("Panel3"));
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    auto* strip = new QWidget(panel);
    strip->setObjectName(QStringLiteral("Panel4"));
    strip->setFixedHeight(42);
    Paint(strip, QPalette::Window, window.palette().color(QPalette::Dark));
    auto* stripLayout = new QHBoxLayout(strip);
    stripLayout->setContentsMargins(2, 0, 2, 0);
    stripLayout->setSpacing(0);
    w_.sbSave = ProtocolButton(strip, "sbSave", QStringLiteral("Speichern unter..."), ProtocolPicture::Save);
    w_.sbLoad = ProtocolButton(strip, "sbLoad", QStringLiteral("Öffnen"), ProtocolPicture::Load);
    w_.sbExcel = ProtocolButton(strip, "sbExcel", QStringLiteral("Datei in MS Excel"), ProtocolPicture::Workbook);
    w_.sbWord = ProtocolButton(strip, "sbWord", QStringLiteral("Datei in MS Word"), ProtocolPicture::Document);
    w_.sbInet = ProtocolButton(strip, "sbInet", QStringLiteral("Als Webseite"), ProtocolPicture::WebPage);
    w_.sbPrint = ProtocolButton(strip, "sbPrint", QStringLiteral("Drucken"), ProtocolPicture::Print);
    w_.sbCLS = ProtocolButton(strip, "sbCLS", QStringLiteral("Löschen (F8)"), ProtocolPicture::Clear);
    for (QToolButton* b : {w_.sbSave, w_.sbLoad, w_.sbExcel, w_.sbWord})
        stripLayout->addWidget(b);
    auto* caption = new QLabel(QStringLiteral("      Protokoll"), strip);
    caption->setObjectName(QStringLiteral("Panel4Caption"));
    caption->setFont(DeskFontPixels(19));
    // At the smallest window size the caption yields, not the buttons or lanes.
    caption->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    caption->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    stripLayout->addWidget(caption, 1);
    for (QToolButton* b : {w_.sbInet, w_.sbPrint, w_.sbCLS})
        stripLayout->addWidget(b);
    layout->addWidget(strip);

    w_.SortGrid1 = new TSortGrid(panel);
    w_.SortGrid1->setObjectName(QStringLiteral("SortGrid1"));
    layout->addWidget(w_.SortGrid1, 1);

    w_.PopupMenuProtokol = new QMenu(&window);
    w_.PopupMenuProtokol->setObjectName(QStringLiteral("PopupMenuProtokol"));
    w_.Erase1 = w_.PopupMenuProtokol->addAction(QStringLiteral("Zeile entfernen (Strg+0)"));
    w_.Erase1->setObjectName(QStringLiteral("Erase1"));
    w_.Leerenzeilenentfernen1 = w_.PopupMenuProtokol->addAction(QStringLiteral("Leeren zeilen entfernen"));
    w_.Leerenzeilenentfernen1->setObjectName(QStringLiteral("Leerenzeilenentfernen1"));
    w_.SortGrid1->SetPopupMenu(w_.PopupMenuProtokol);
    return panel;
}

void DeskView::BuildHiddenMenu(QWidget& window)
{
    w_.HideMenu1 = new HiddenMenu(&window);
    const std::pair<QAction**, const char*> items[] = {
        {&w_.mStart, "mStart"}, {&w_.mStop, "mStop"}, {&w_.mReset, "mReset"}, {&w_.mAvaria, "mAvaria"},
        {&w_.New1, "New1"}, {&w_.Modus1, "Modus1"}, {&w_.Hilfe1, "Hilfe1"}, {&w_.EinstellunGen1, "EinstellunGen1"},
        {&w_.mHilfe, "mHilfe"}, {&w_.mInfo, "mInfo"}, {&w_.Zeileentfernen1, "Zeileentfernen1"}, {&w_.LockLS, "LockLS"},
    };
    for (const auto& [member, name] : items)
        *member = w_.HideMenu1->Item(name);
}
