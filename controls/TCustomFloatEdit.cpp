#include "TCustomFloatEdit.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QLocale>
#include <QMessageBox>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <stdexcept>

TCustomFloatEdit::TCustomFloatEdit(QWidget* parent)
    : QLineEdit(parent)
    , separator_(QLocale().decimalPoint().at(0))
{
    // Composed input would bypass the keystroke filter.
    setAttribute(Qt::WA_InputMethodEnabled, false);
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    setText(FormatNumber(min_));
}

std::optional<double> TCustomFloatEdit::TextToNumber(const QString& text) const
{
    // Sign, digits with one separator, an exponent: nothing else, so that
    // neither group separators nor "inf" count as numbers.
    std::string ascii;
    ascii.reserve(std::size_t(text.size()));
    for (const QChar c : text) {
        if (c == separator_)
            ascii += '.';
        else if ((c >= u'0' && c <= u'9') || c == u'-' || c == u'+' || c == u'e' || c == u'E')
            ascii += char(c.unicode());
        else
            return std::nullopt;
    }
    const char* begin = ascii.data();
    const char* end = begin + ascii.size();
    if (begin != end && *begin == '+' && (end - begin == 1 || begin[1] != '-'))
        ++begin;
    double value = 0;
    const auto [stop, error] = std::from_chars(begin, end, value, std::chars_format::general);
    if (error != std::errc() || stop != end)
        return std::nullopt;
    return value;
}

QString TCustomFloatEdit::FormatNumber(double x) const
{
    QString text = QString::number(x, 'f', digits_);
    text.replace(u'.', separator_);
    // A value that rounds to zero is written without a sign.
    if (text.startsWith(u'-') && !std::any_of(text.begin(), text.end(), [](QChar c) { return c >= u'1' && c <= u'9'; }))
        text.remove(0, 1);
    return text;
}

double TCustomFloatEdit::Clamped(double x) const
{
    if (std::isnan(x))
        return min_;
    return std::clamp(x, min_, max_);
}

double TCustomFloatEdit::Value() const
{
    const QString t = text();
    if (t.isEmpty() || t == separator_ || t == u"E" || t == u"-")
        return Clamped(0);
    return Clamped(TextToNumber(t).value_or(min_));
}

void TCustomFloatEdit::SetValue(double x)
{
    const double value = Clamped(x);
    if (value != x)
        ShowErrorMessage();
    setText(FormatNumber(value));
}

void TCustomFloatEdit::SetDigits(int digits)
{
    const double value = Value();
    digits_ = std::uint8_t(std::clamp(digits, 0, MaxDigits));
    SetValue(value);
}

void TCustomFloatEdit::SetMin(double min)
{
    if (min > max_)
        throw std::invalid_argument("Minimum value must not be greater than maximum value !");
    min_ = min;
    SetValue(Value());
}

void TCustomFloatEdit::SetMax(double max)
{
    if (max < min_)
        throw std::invalid_argument("Maximum value must not be less than minimum value !");
    max_ = max;
    SetValue(Value());
}

void TCustomFloatEdit::ShowErrorMessage()
{
    if (!errorMessage_.isEmpty())
        QMessageBox::warning(window(), window()->windowTitle(), errorMessage_);
}

void TCustomFloatEdit::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        Q_EMIT EnterPressed(event->key());
        event->ignore();
        return;
    }
    if (event->key() == Qt::Key_Escape) {
        SetValue(entryValue_);
        selectAll();
        // Escape still closes a dialog through its cancel button.
        event->ignore();
        return;
    }
    const QString typed = event->text();
    // Keys without a character (arrows, Home) and control characters
    // (Backspace, Delete, Ctrl+C, ...) go to the edit unchanged.
    const bool control = typed.isEmpty() || (typed.size() == 1 && (typed[0] < u' ' || typed[0] == QChar(0x7F)));
    if (control || isReadOnly()) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    if (typed.size() == 1 && AcceptCharacter(typed[0]))
        QLineEdit::keyPressEvent(event);
    else
        event->accept();
}

bool TCustomFloatEdit::AcceptCharacter(QChar c)
{
    if (!((c >= u'0' && c <= u'9') || c == u'-' || c == u'e' || c == separator_))
        return false;
    const int start = hasSelectedText() ? selectionStart() : cursorPosition();
    const int length = hasSelectedText() ? selectionLength() : 0;
    const QString current = text();
    const QString next = current.left(start) + c + current.mid(start + length);
    if (next == u"-") {
        setText(QStringLiteral("-0"));
        setSelection(1, 1);
        return false;
    }
    if (next == separator_) {
        setText(QStringLiteral("0") + separator_ + QStringLiteral("0"));
        setSelection(2, 1);
        return false;
    }
    const std::optional<double> number = TextToNumber(next);
    if (!number || *number < min_ || *number > max_)
        return false;
    if (c == separator_ && digits_ == 0)
        return false;
    const int p = next.indexOf(separator_);
    if (!next.contains(u'e', Qt::CaseInsensitive) && p >= 0 && next.size() - p - 1 > digits_)
        return false;
    return true;
}

void TCustomFloatEdit::focusInEvent(QFocusEvent* event)
{
    QLineEdit::focusInEvent(event);
    // Coming back from a popup or another window is no new entry.
    if (inside_ || event->reason() == Qt::PopupFocusReason)
        return;
    inside_ = true;
    entryValue_ = Value();
    if (autoSelect_ && event->reason() != Qt::MouseFocusReason)
        selectAll();
}

void TCustomFloatEdit::focusOutEvent(QFocusEvent* event)
{
    QLineEdit::focusOutEvent(event);
    // A popup or a switch to another window does not leave the field.
    if (!inside_ || event->reason() == Qt::PopupFocusReason || event->reason() == Qt::ActiveWindowFocusReason)
        return;
    inside_ = false;
    if (LeaveField())
        return;
    inside_ = true;
    setFocus(Qt::OtherFocusReason);
    selectAll();
}

void TCustomFloatEdit::hideEvent(QHideEvent* event)
{
    // A hidden dialog is left without the checks; its next opening refills it.
    inside_ = false;
    QLineEdit::hideEvent(event);
}

bool TCustomFloatEdit::LeaveField()
{
    const QString t = text().isEmpty() ? FormatNumber(min_) : text();
    const std::optional<double> number = TextToNumber(t);
    if (!number || *number < min_ || *number > max_) {
        ShowErrorMessage();
        SetValue(entryValue_);
        selectAll();
        return false;
    }
    SetValue(*number);
    return true;
}
