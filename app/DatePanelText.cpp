#include "DatePanelText.h"

#include <QRegularExpression>

QString DatePanelText(const QDateTime& now, const QLocale& locale)
{
    QString dateFormat = locale.dateFormat(QLocale::ShortFormat);
    static const QRegularExpression twoDigitYear(QStringLiteral("(?<!y)yy(?!y)"));
    dateFormat.replace(twoDigitYear, QStringLiteral("yyyy"));
    return locale.toString(now.date(), dateFormat) + QStringLiteral("   ") +
           locale.toString(now.time(), QLocale::ShortFormat);
}
