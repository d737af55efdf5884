#pragma once

#include <QLineEdit>
#include <cstdint>
#include <optional>

// A one-line field for a decimal number within Min..Max. Each typed
// character is checked against the text it would produce, so the text stays
// a number in range with at most Digits decimals while the operator types;
// leaving the field writes the number with exactly Digits decimals, and an
// unusable text keeps the focus in the field. The decimal separator is the
// locale's at construction.
class TCustomFloatEdit : public QLineEdit
{
    Q_OBJECT
public:
    static constexpr int MaxDigits = 18;

    explicit TCustomFloatEdit(QWidget* parent = nullptr);

    // The text as a number: empty, a lone separator, "E" or "-" count as 0,
    // a text that is no number gives Min; always clamped to Min..Max.
    double Value() const;
    // Clamps x to Min..Max and writes it with Digits decimals.
    void SetValue(double x);

    int Digits() const { return digits_; }
    void SetDigits(int digits);
    double Min() const { return min_; }
    double Max() const { return max_; }
    // Both throw std::invalid_argument when Min would exceed Max.
    void SetMin(double min);
    void SetMax(double max);

    // Shown when a value is clamped or a text rejected; empty shows nothing.
    QString ErrorMessage() const { return errorMessage_; }
    void SetErrorMessage(const QString& message) { errorMessage_ = message; }
    bool AutoSelect() const { return autoSelect_; }
    void SetAutoSelect(bool on) { autoSelect_ = on; }
    QChar DecimalSeparator() const { return separator_; }

    // The text as a number in the field's notation, if it is one.
    std::optional<double> TextToNumber(const QString& text) const;
    // x with Digits decimals and the field's separator.
    QString FormatNumber(double x) const;

Q_SIGNALS:
    // Enter in the field (the key code). The key still reaches the dialog,
    // so its default button answers as well.
    void EnterPressed(int key);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    bool AcceptCharacter(QChar c);
    bool LeaveField();
    double Clamped(double x) const;
    void ShowErrorMessage();

    std::uint8_t digits_ = 1;
    double min_ = 0;
    double max_ = 100;
    QString errorMessage_;
    QChar separator_;
    double entryValue_ = 0;
    bool autoSelect_ = true;
    bool inside_ = false; // entered and not yet left
};
