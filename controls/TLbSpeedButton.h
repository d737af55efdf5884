#pragma once

#include "TColor.h"

#include <QPixmap>
#include <QWidget>

// The two looks the desk uses: a gradient face with a rounded border (the
// run buttons) and a bare picture (the top-bar buttons).
enum class TLbSpeedButtonStyle { bsModern, bsShape };

// A push button that paints itself with a colour gradient, hot-tracking and
// a pressed look, or as a bare picture. It acts on mouse-down as well as on
// click: the run buttons act on the press so that a START never waits for
// the release, and the command runs before the button shows itself pressed.
class TLbSpeedButton : public QWidget
{
    Q_OBJECT
public:
    explicit TLbSpeedButton(QWidget* parent = nullptr);

    QString Caption() const { return caption_; }
    void SetCaption(const QString& caption);
    Qt::Alignment Alignment() const { return alignment_; }
    void SetAlignment(Qt::Alignment alignment);
    TLbSpeedButtonStyle Style() const { return style_; }
    void SetStyle(TLbSpeedButtonStyle style);
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool on);

    TColor Color() const { return color_; }
    void SetColor(TColor color);
    TColor ColorWhenDown() const { return colorWhenDown_; }
    void SetColorWhenDown(TColor color);
    TColor HotTrackColor() const { return hotTrackColor_; }
    void SetHotTrackColor(TColor color);
    TColor LightColor() const { return lightColor_; }
    void SetLightColor(TColor color);
    TColor ShadowColor() const { return shadowColor_; }
    void SetShadowColor(TColor color);

    // The caption font is the widget's font() in FontColor; while hovered,
    // with UseHotTrackFont, HotTrackFont in HotTrackFontColor.
    TColor FontColor() const { return fontColor_; }
    void SetFontColor(TColor color);
    QFont HotTrackFont() const { return hotTrackFont_; }
    TColor HotTrackFontColor() const { return hotTrackFontColor_; }
    void SetHotTrackFont(const QFont& font, TColor color);
    bool UseHotTrackFont() const { return useHotTrackFont_; }
    void SetUseHotTrackFont(bool on);

    // A strip of NumGlyphs pictures side by side: 0 normal, 1 disabled,
    // 2 pressed, 3 hovered. Its bottom-left pixel's colour is transparent.
    QPixmap Glyph() const { return glyph_; }
    void SetGlyph(const QPixmap& glyph);
    int NumGlyphs() const { return numGlyphs_; }
    void SetNumGlyphs(int n);

    bool Down() const { return down_; }
    bool Hovered() const { return hovered_; }

Q_SIGNALS:
    // Any mouse button pressed on the enabled button; comes before the
    // button shows itself pressed.
    void MouseDown(Qt::MouseButton button);
    // Left button released over the button.
    void Clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    bool Pressed() const { return down_ && isEnabled(); }
    QColor FaceColor() const;
    int GlyphCell() const;
    int GlyphCellWidth() const;
    void SetHover(bool on);
    void PaintModernFace(QPainter& painter, const QColor& face) const;
    void PaintCaption(QPainter& painter) const;
    void PaintGlyph(QPainter& painter) const;

    QString caption_;
    Qt::Alignment alignment_ = Qt::AlignLeft;
    TLbSpeedButtonStyle style_ = TLbSpeedButtonStyle::bsModern;
    bool wordWrap_ = false;
    TColor color_ = clBtnFace;
    TColor colorWhenDown_ = clNone;
    TColor hotTrackColor_ = clNone;
    TColor lightColor_ = clWhite;
    TColor shadowColor_ = clBlack;
    TColor fontColor_ = clBlack;
    QFont hotTrackFont_;
    TColor hotTrackFontColor_ = clBlack;
    bool useHotTrackFont_ = false;
    QPixmap glyph_;
    int numGlyphs_ = 1;
    bool down_ = false;
    bool hovered_ = false;
    int hotTrackStep_ = 0; // 0..8: how far the face has moved towards HotTrackColor
};
