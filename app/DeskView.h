#pragma once

#include "RunControl.h"

#include <QObject>

class Clock;
class ProtocolModel;
class SoundPlayer;
struct TAppSettings;
class DeskLogo;
class HiddenMenu;
class LiveLink;
class QAction;
class QDateTime;
class QLabel;
class QMenu;
class QTimer;
class QToolButton;
class QWidget;
class TFrame1;
class TImage;
class TLbSpeedButton;
class TSortGrid;

// The main window's widgets, by the names the rest of the program uses.
// The view owns them (through the window); this is only where to find them.
struct DeskWidgets
{
    // Top bar: help, settings, info, the maker's logo, the date.
    TLbSpeedButton* bHelp = nullptr;
    TLbSpeedButton* bCFG = nullptr;
    TLbSpeedButton* bInfo = nullptr;
    DeskLogo* ImageDE = nullptr;
    QLabel* PanelDate = nullptr;
    QTimer* TimerDate = nullptr;
    // The operator's notice line under the top bar.
    QLabel* LabNotice = nullptr;
    // Left panel: the two lanes, the run buttons, the lock and TV pictures.
    QWidget* PanelLeft = nullptr;
    TFrame1* FrameT1 = nullptr;
    TFrame1* FrameT2 = nullptr;
    TLbSpeedButton* bSTART = nullptr;
    TLbSpeedButton* bSTOP = nullptr;
    TLbSpeedButton* bRESET = nullptr;
    TLbSpeedButton* bAVARIA = nullptr;
    TImage* ImageLSstop = nullptr;
    TImage* ImageTVAus = nullptr;
    TImage* ImageTVEin = nullptr;
    // The live results' address and QR code at the foot of the left panel, while served.
    LiveLink* PanelLive = nullptr;
    // Right panel: the protocol's buttons, the grid and its popup menu.
    QToolButton* sbSave = nullptr;
    QToolButton* sbLoad = nullptr;
    QToolButton* sbExcel = nullptr;
    QToolButton* sbWord = nullptr;
    QToolButton* sbInet = nullptr;
    QToolButton* sbPrint = nullptr;
    QToolButton* sbCLS = nullptr;
    TSortGrid* SortGrid1 = nullptr;
    QMenu* PopupMenuProtokol = nullptr;
    QAction* Erase1 = nullptr;
    QAction* Leerenzeilenentfernen1 = nullptr;
    // Every keyboard command, in menu order; never shown.
    HiddenMenu* HideMenu1 = nullptr;
    QAction* mStart = nullptr;
    QAction* mStop = nullptr;
    QAction* mReset = nullptr;
    QAction* mAvaria = nullptr;
    QAction* New1 = nullptr;
    QAction* Modus1 = nullptr;
    QAction* Hilfe1 = nullptr;
    QAction* EinstellunGen1 = nullptr;
    QAction* mHilfe = nullptr;
    QAction* mInfo = nullptr;
    QAction* Zeileentfernen1 = nullptr;
    QAction* LockLS = nullptr;
};

// Builds the main window's widgets into the window and keeps their looks:
// fonts, colours, pictures and places, the date panel and its minute timer.
// It knows nothing of what the widgets do; the window connects them.
class DeskView : public QObject
{
    Q_OBJECT
public:
    // The lanes take their ticks from clock, the date panel its time.
    DeskView(QWidget& window, const Clock& clock);

    const DeskWidgets& Widgets() const { return w_; }

    // The protocol's commands that need runs (clear, print, exports, save).
    void SetProtocolCommands(bool hasRuns);
    // The spectator window's switch shows only where there is a second screen.
    void SetScreens(int screens);
    // Shows the date and time now and re-arms for the next minute's start.
    void TimerDateTimer();
    // The lanes, the commands' actions and the run buttons, with the
    // protocol and the sound player the run control works with.
    RunControlParts RunParts(ProtocolModel* protocol, SoundPlayer* sound) const;
    // Size and place of the window as stored, fitted to the screens there are.
    void RestoreGeometry(const TAppSettings& settings);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLabel* BuildNotice(QWidget& window);
    QWidget* BuildTopBar(QWidget& window);
    QWidget* BuildLeftPanel(QWidget& window);
    QWidget* BuildRightPanel(QWidget& window);
    void BuildHiddenMenu(QWidget& window);
    // At the foot of the left panel, below the run buttons however short the panel is.
    void PlaceLiveLink();

    QWidget& window_;
    const Clock& clock_;
    DeskWidgets w_;
    int leftPartsBottom_ = 0;
};
