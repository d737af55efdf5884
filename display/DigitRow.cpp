#include "DigitRow.h"

QLabel* NewSeparatorLabel(QWidget* parent, const char* name, const QString& text, TColor color)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    QFont font(QStringLiteral("Times New Roman"));
    font.setPointSize(48);
    font.setBold(true);
    label->setFont(font);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    SetLabelColor(label, color);
    return label;
}

void SetLabelColor(QLabel* label, TColor color)
{
    const QColor wanted = ToQColor(color);
    QPalette palette = label->palette();
    if (palette.color(QPalette::WindowText) == wanted)
        return;
    palette.setColor(QPalette::WindowText, wanted);
    label->setPalette(palette);
}

TColor LabelColor(const QLabel* label)
{
    const QColor c = label->palette().color(QPalette::WindowText);
    return TColor(c.red()) | TColor(c.green()) << 8 | TColor(c.blue()) << 16;
}
