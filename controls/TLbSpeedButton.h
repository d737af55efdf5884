#pragma once

#include "TColor.h"

#include <QWidget>
#include <functional>

// A push button that acts on mouse-down as well as on click, with the face,
// light and shadow colours the run control paints it in. The run buttons
// act on the press so that a START never waits for the release.
class TLbSpeedButton : public QWidget
{
    Q_OBJECT
public:
    explicit TLbSpeedButton(QWidget* parent = nullptr);

    QString Caption() const { return caption_; }
    void SetCaption(const QString& caption);
    TColor Color() const { return color_; }
    void SetColor(TColor color);
    TColor LightColor() const { return lightColor_; }
    void SetLightColor(TColor color);
    TColor ShadowColor() const { return shadowColor_; }
    void SetShadowColor(TColor color);
    // Caption colour of the enabled button; a disabled one is always grey.
    TColor FontColor() const { return fontColor_; }
    void SetFontColor(TColor color);
    bool Down() const { return down_; }

    // Any mouse button pressed on the enabled button; runs before the
    // button shows itself pressed.
    std::function<void(TLbSpeedButton* sender, Qt::MouseButton button)> OnMouseDown;
    // Left button released over the button.
    std::function<void(TLbSpeedButton* sender)> OnClick;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QString caption_;
    TColor color_ = clBtnFace;
    TColor lightColor_ = clWhite;
    TColor shadowColor_ = clBlack;
    TColor fontColor_ = clBlack;
    bool down_ = false;
};
