#pragma once

#include "TCustomFloatEdit.h"

#include <functional>

class QTimer;

// The decimal field with a small up/down button inside its right edge. The
// button's halves and the Up and Down keys step the value by Increment,
// clamped to Min..Max.
class TSpinFloatEdit : public TCustomFloatEdit
{
    Q_OBJECT
public:
    enum class Direction { Up, Down };
    static constexpr int ButtonWidth = 15;
    static constexpr int ButtonHeight = 17;

    explicit TSpinFloatEdit(QWidget* parent = nullptr);

    double Increment() const { return increment_; }
    void SetIncrement(double increment) { increment_ = increment; }
    // Off: no key changes the field; the button still steps.
    bool EditorEnabled() const { return editorEnabled_; }
    void SetEditorEnabled(bool on) { editorEnabled_ = on; }

    // Assigned, it does the stepping instead of Increment.
    std::function<void(TSpinFloatEdit* sender, Direction direction)> OnComputedIncrement;

    void UpClick();
    void DownClick();
    QWidget* Button() const { return button_; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void Step(Direction direction);

    double increment_ = 1;
    bool editorEnabled_ = true;
    QWidget* button_;
};
