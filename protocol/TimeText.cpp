#include "TimeText.h"

#include <algorithm>
#include <limits>

namespace {

// Right-aligning a short run time into this gives minutes, seconds and
// hundredths at fixed places.
constexpr QStringView kRunTimePattern = u"00.00,00";

constexpr std::int64_t kMsPerHour = 3600000;

bool IsAsciiDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

int DigitValue(QChar c)
{
    return c.unicode() - u'0';
}

// Texts of at most eight characters: "mm.ss,cc" with leading parts missing.
// Anything that does not fill the pattern with digits is no run time and
// reads as 0 as a whole, so "-5,12" never becomes a partial number.
std::int32_t ParseMinutesText(QStringView text)
{
    const QString aligned = kRunTimePattern.left(kRunTimePattern.size() - text.size()).toString() + text.toString();
    for (qsizetype i = 0; i < aligned.size(); ++i) {
        const bool separator = i == 2 || i == 5;
        if (separator ? aligned[i] != kRunTimePattern[i] : !IsAsciiDigit(aligned[i]))
            return 0;
    }
    const auto field = [&](qsizetype at) { return DigitValue(aligned[at]) * 10 + DigitValue(aligned[at + 1]); };
    return field(0) * 60000 + field(3) * 1000 + field(6) * 10;
}

// Texts of an hour or more: "h:mm.ss,cc" with up to four hour digits.
std::int32_t ParseHoursText(QStringView text)
{
    const qsizetype colon = text.indexOf(u':');
    if (colon < 1 || text.size() - colon - 1 != kRunTimePattern.size())
        return 0;
    const QStringView hours = text.left(colon);
    if (!std::all_of(hours.begin(), hours.end(), IsAsciiDigit) || hours.size() > 4)
        return 0;
    const std::int64_t ms = hours.toLongLong() * kMsPerHour + ParseMinutesText(text.mid(colon + 1));
    if (ms > std::numeric_limits<std::int32_t>::max())
        return 0;
    return static_cast<std::int32_t>(ms);
}

int Sign(int value)
{
    return (value > 0) - (value < 0);
}

} // namespace

// Voided cells sort after every time, empty cells after the voided ones.
qsizetype TimeTextOrderKey(const QString& text)
{
    if (text == u"-")
        return 18;
    if (IsBlankText(text))
        return 19;
    return text.size();
}

QString FormatClockTime(const QTime& time)
{
    if (!time.isValid())
        return QString();
    return QStringLiteral("%1:%2.%3,%4")
        .arg(time.hour())
        .arg(time.minute(), 2, 10, QLatin1Char('0'))
        .arg(time.second(), 2, 10, QLatin1Char('0'))
        .arg(time.msec() / 10, 2, 10, QLatin1Char('0'));
}

QString FormatRunTime(std::int32_t ms)
{
    if (ms < 0)
        return QStringLiteral("-");
    const std::int32_t t = ms / 10;
    // Hours are not wrapped: a text of a longer run is never shorter.
    const QString full = QStringLiteral("%1:%2.%3,%4")
                             .arg(t / 360000, 2, 10, QLatin1Char('0'))
                             .arg(t / 6000 % 60, 2, 10, QLatin1Char('0'))
                             .arg(t / 100 % 60, 2, 10, QLatin1Char('0'))
                             .arg(t % 100, 2, 10, QLatin1Char('0'));
    qsizetype lead = 0;
    while (lead < 7 && !(full[lead] >= u'1' && full[lead] <= u'9'))
        ++lead;
    return full.mid(lead);
}

std::int32_t ParseRunTime(const QString& text)
{
    if (text.size() <= kRunTimePattern.size())
        return ParseMinutesText(text);
    return ParseHoursText(text);
}

std::optional<std::int32_t> ReadRunTime(const QString& text)
{
    const std::int32_t ms = ParseRunTime(text);
    if (FormatRunTime(ms) != text)
        return std::nullopt;
    return ms;
}

int CompareTimeText(const QString& a, const QString& b)
{
    const qsizetype keyA = TimeTextOrderKey(a);
    const qsizetype keyB = TimeTextOrderKey(b);
    if (keyA != keyB)
        return keyA < keyB ? -1 : 1;
    // Blank texts too: "" before " " (a loaded unfinished run), so the order
    // never depends on where a row stood before.
    return Sign(QString::compare(a, b, Qt::CaseSensitive));
}

bool IsBlankText(const QString& text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c == u' '; });
}
