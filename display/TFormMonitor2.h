#pragma once

#include "DigitRow.h"

#include <QImage>
#include <QString>
#include <QWidget>
#include <array>
#include <functional>

class QLabel;
class QScreen;

// The spectator window: a borderless, always-on-top window that covers one
// monitor and repeats both lanes' times in large digits, with the event
// title and each lane's current and next start number.
//
// Data flow. The window is passive. The lanes write their times straight
// into its two rows (Row(0) upper = lane 1, Row(1) lower = lane 2), shown or
// hidden, exactly as they write their own digits; the main window writes the
// title, the monitor choice, the Runden flag and the start-number captions.
// The window only owns and lays out the controls: its layout is a scaled
// copy of the lane frames it is given (children found by object name
// Digit3..Digit8, LabMin, LabSec, and the frame's own font), fitted to the
// chosen monitor, so it needs nothing from the lane code itself.
//
// Use by the main window:
//   - construct it hidden right after the main window (the main window as
//     parent), fill the handlers, then FormCreate(title, monitor);
//   - show() / close() switch it on and off; IndicatorChanged reports both;
//   - start-number changes: SetStartNumber / SetNextNumber, shown or hidden;
//   - settings dialog confirmed: SetTitle, SetMonitor, PlaceOnMonitor;
//   - mode application: SetRunden, then ApplyMode (the show steps without
//     showing: captions and the lower row; no indicator, a hidden window is
//     not placed).
class TFormMonitor2 : public QWidget
{
    Q_OBJECT
public:
    // laneFrame1 and laneFrame2 are the layout sources of the upper and the
    // lower row; they must outlive the window.
    TFormMonitor2(QWidget* laneFrame1, QWidget* laneFrame2, QWidget* parent = nullptr);

    // The row a lane mirrors its display into: 0 upper (lane 1), 1 lower
    // (lane 2); null for any other index.
    DigitRow* Row(int lane);

    // Settings. SetMonitor only stores the index; PlaceOnMonitor applies it.
    // SetRunden takes effect with the next ApplyMode or show.
    int Monitor() const { return monitor_; }
    void SetMonitor(int monitor) { monitor_ = monitor; }
    QString Title() const;
    void SetTitle(const QString& title);
    bool Runden() const { return runden_; }
    void SetRunden(bool on) { runden_ = on; }

    // Caption writers for lane 0 (upper strip) and lane 1 (lower strip):
    // " Start-Nr.:" and the number, and "Bereit: ", the number and a blank.
    // In Runden mode the lower strip labels the best time, so lane 2's
    // numbers do not overwrite it.
    void SetStartNumber(int lane, int number);
    void SetNextNumber(int lane, int number);
    // Who drives in the lane, centred in the lane's caption strip between
    // the two captions, as "name, Klasse class"; a long name is shortened,
    // never the class. Empty texts clear it. Not in Runden mode's lower
    // strip, which labels the best time.
    void SetEntry(int lane, const QString& name, const QString& className);
    QString EntryText(int lane) const;
    // A code to show in the top right corner (one pixel a module, light
    // border included) with a line of text under it; a null image removes
    // both. It takes the height of the title and the upper caption strip,
    // which give way on the right, so it never covers a digit. The window
    // is only laid out and repainted when the code or the text changes.
    void SetCornerCode(const QImage& code, const QString& text);

    struct StartNumbers
    {
        int start1 = 0;
        int next1 = 0;
        int start2 = 0;
        int next2 = 0;
    };
    // Where the show steps read the lanes' current and next start numbers.
    std::function<StartNumbers()> ReadStartNumbers;

    // The creation step: title, monitor index, placement (the window stays hidden).
    void FormCreate(const QString& title, int monitor);
    // The show steps for a mode change: a shown window is placed again, the
    // captions and (Runden) the lower row are refreshed.
    void ApplyMode();

    // Covers the monitor at index Monitor (monitor 0 when that index no
    // longer exists), recomputes the scale factors and arranges.
    void PlaceOnMonitor();
    void ArrangeControls();
    // Scales the corners, not the size, rounding halves to even.
    QRect ScaleRect(const QRect& rect) const;
    double ScaleX() const { return scaleX_; }
    double ScaleY() const { return scaleY_; }

    // The controls other parts of the program address by name.
    QWidget* Panel1;
    QWidget* PanelTimer;
    QLabel* PanelTitle;
    QWidget* PanelLab1;
    QLabel* LabStart1;
    QLabel* LabNext1;
    QWidget* PanelLab2;
    QLabel* LabStart2;
    QLabel* LabNext2;
    QLabel* LabEntry1;
    QLabel* LabEntry2;
    QLabel* LabCode;
    QLabel* LabCodeText;

Q_SIGNALS:
    // Runden mode: lane 2 is to show the best time (it writes the lower row).
    void BestTimeWanted();
    // For the main window's on-indicator: true when shown, false when closed.
    void IndicatorChanged(bool shown);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void FormShow();
    void FormClose();
    void FormResize();
    void FormKeyDown(QKeyEvent* event);
    void RefreshCaptions();
    QScreen* TargetScreen() const;
    void PlaceEntry(int lane);
    // The corner code and the strips beside it: the width the corner takes.
    void ArrangeCorner(int titleHeight, int labHeight);

    QWidget* CaptionStrip(const char* name, QLabel*& start, const char* startName, QLabel*& next,
                          const char* nextName);
    DigitRow BuildRow(const char* digitSuffix, const char* labMinName, const char* labSecName);
    // Steps 6/7 of the arrangement for one row: scaled digits of height h at rowTop.
    void ArrangeDigits(const DigitRow& row, const QWidget* source, int rowTop, int h);
    // Scaled bounds and font of one separator; returns false without a source.
    bool ScaleSeparator(QLabel* label, const QWidget* source, const char* sourceName);

    QWidget* const lane1_;
    QWidget* const lane2_;
    std::array<DigitRow, 2> rows_;
    std::array<QString, 2> entryNames_;
    std::array<QString, 2> entryClasses_;
    QImage cornerCode_;
    QString cornerText_;
    int monitor_ = 0;
    bool runden_ = false;
    double scaleX_ = 1.0;
    double scaleY_ = 1.0;
};
