#include "DatePanelText.h"

#include <QRegularExpression>

QString DatePanelText(const QDateTime& now, const QLocale& locale)
{
    QString dateFormat = locale.dateFormat(QLocale::ShortFormat);
    static const QRegularExpression twoDigitYear(QStringLiteral("(?<!y)yy(?!y)"));
    dateFormat.replace(twoDigitYear, QStringLiteral("yyyy"));
    // The panel is written once a minute: seconds on it would be wrong
    // most of the time, so they go with the separator before them.
    QString timeFormat = locale.timeFormat(QLocale::ShortFormat);
    static const QRegularExpression seconds(QStringLiteral("[^\\w\\s]?ss?"));
    timeFormat.remove(seconds);
    return locale.toString(now.date(), dateFormat) + QStringLiteral("   ") + locale.toString(now.time(), timeFormat);
}

int MsToNextMinute(const QDateTime& now)
{
    const QTime t = now.time();
    return 60000 - (t.second() * 1000 + t.msec());
}
