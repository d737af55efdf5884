#include "QtPrinters.h"
#include "TimeText.h"

#include <gtest/gtest.h>

#include <QStringList>
#include <algorithm>
#include <limits>
#include <random>

namespace {

struct RunTimeCase {
    std::int32_t ms;
    const char* text;
};

const RunTimeCase kRunTimes[] = {
    {0, "0,00"},
    {9, "0,00"},
    {50, "0,05"},
    {999, "0,99"},
    {5120, "5,12"},
    {9999, "9,99"},
    {10000, "10,00"},
    {12340, "12,34"},
    {59999, "59,99"},
    {60000, "1.00,00"},
    {65120, "1.05,12"},
    {600000, "10.00,00"},
    {3599990, "59.59,99"},
    {3600000, "1:00.00,00"},
    {3605120, "1:00.05,12"},
    {36000000, "10:00.00,00"},
};

} // namespace

TEST(FormatRunTime, dropsLeadingZerosAndTruncatesHundredths)
{
    for (const auto& c : kRunTimes)
        EXPECT_EQ(FormatRunTime(c.ms), QString::fromLatin1(c.text)) << c.ms;
}

TEST(FormatRunTime, hundredHoursAndMoreKeepGrowingInsteadOfWrapping)
{
    EXPECT_EQ(FormatRunTime(360000000), QStringLiteral("100:00.00,00"));
    EXPECT_EQ(FormatRunTime(std::numeric_limits<std::int32_t>::max()), QStringLiteral("596:31.23,64"));
}

TEST(FormatRunTime, negativeRunTimeIsNoResult)
{
    EXPECT_EQ(FormatRunTime(-1), QStringLiteral("-"));
    EXPECT_EQ(FormatRunTime(std::numeric_limits<std::int32_t>::min()), QStringLiteral("-"));
}

TEST(ParseRunTime, readsBackEveryFormattedTime)
{
    for (const auto& c : kRunTimes)
        EXPECT_EQ(ParseRunTime(QString::fromLatin1(c.text)), c.ms / 10 * 10) << c.text;
    EXPECT_EQ(ParseRunTime(QStringLiteral("596:31.23,64")), 2147483640);
}

TEST(ReadRunTime, onlyTheProtocolsOwnSpellingIsARunTime)
{
    const struct {
        const char* text;
        std::optional<std::int32_t> ms;
    } cases[] = {
        {"0,00", 0},          {"5,12", 5120},         {"59,99", 59990},       {"1.05,12", 65120},
        {"1:00.00,00", 3600000}, {"-", std::nullopt}, {"", std::nullopt},    {" ", std::nullopt},
        {"05,12", std::nullopt}, {"5.12", std::nullopt}, {"1.5,12", std::nullopt}, {"61,00", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ReadRunTime(QString::fromLatin1(c.text)), c.ms) << c.text;
}

TEST(ParseRunTime, unreadableTextsGiveZero)
{
    const char* texts[] = {"", "-", " ", "abc", "5,1x", "-5,12", "+5,12", "1:0000000", "1.05;12x",
        "99999:00.00,00", "597:00.00,00", ":00.00,00", "x:00.00,00", "1:00.00,0"};
    for (const char* t : texts)
        EXPECT_EQ(ParseRunTime(QString::fromLatin1(t)), 0) << t;
}

TEST(ParseRunTime, rightAlignsShortTextsIntoTheMinutesPattern)
{
    EXPECT_EQ(ParseRunTime(QStringLiteral("00.05,12")), 5120);
    EXPECT_EQ(ParseRunTime(QStringLiteral("7,5")), 0); // "00.007,5": no readable field
    EXPECT_EQ(ParseRunTime(QStringLiteral(",50")), 500);
}

TEST(FormatClockTime, unpaddedHourWithZeroFilledFields)
{
    EXPECT_EQ(FormatClockTime(QTime(9, 5, 3, 70)), QStringLiteral("9:05.03,07"));
    EXPECT_EQ(FormatClockTime(QTime(14, 30, 0, 999)), QStringLiteral("14:30.00,99"));
    EXPECT_EQ(FormatClockTime(QTime(0, 0)), QStringLiteral("0:00.00,00"));
    EXPECT_EQ(FormatClockTime(QTime(23, 59, 59, 9)), QStringLiteral("23:59.59,00"));
    EXPECT_EQ(FormatClockTime(QTime()), QString());
}

TEST(CompareTimeText, ranksTimesThenVoidedThenEmpty)
{
    const QStringList ordered = {QStringLiteral("9,99"), QStringLiteral("10,00"), QStringLiteral("59,99"),
        QStringLiteral("1.00,00"), QStringLiteral("10.00,00"), QStringLiteral("1:00.00,00"),
        QStringLiteral("-"), QString()};
    for (qsizetype i = 0; i < ordered.size(); ++i) {
        EXPECT_EQ(CompareTimeText(ordered[i], ordered[i]), 0) << i;
        for (qsizetype j = i + 1; j < ordered.size(); ++j) {
            EXPECT_LT(CompareTimeText(ordered[i], ordered[j]), 0) << ordered[i] << " < " << ordered[j];
            EXPECT_GT(CompareTimeText(ordered[j], ordered[i]), 0) << ordered[j] << " > " << ordered[i];
        }
    }
}

// A loaded unfinished run holds " " where a started one holds "": both sort
// after every time and "-", among themselves by character codes.
TEST(CompareTimeText, blankOnlyTextsSortAfterVoidedAndByCharacterCodes)
{
    const QStringList ordered = {QString(), QStringLiteral(" "), QStringLiteral("  "), QStringLiteral("   ")};
    for (qsizetype i = 0; i + 1 < ordered.size(); ++i) {
        EXPECT_LT(CompareTimeText(ordered[i], ordered[i + 1]), 0) << i;
        EXPECT_GT(CompareTimeText(ordered[i + 1], ordered[i]), 0) << i;
        EXPECT_EQ(CompareTimeText(ordered[i], ordered[i]), 0) << i;
    }
    EXPECT_GT(CompareTimeText(QStringLiteral(" "), QStringLiteral("-")), 0);
    EXPECT_GT(CompareTimeText(QStringLiteral(" "), QStringLiteral("99:59.59,99")), 0);
}

TEST(CompareTimeText, clockTimesSortWithinOneDay)
{
    EXPECT_LT(CompareTimeText(FormatClockTime(QTime(9, 59, 59, 990)), FormatClockTime(QTime(10, 0))), 0);
    EXPECT_LT(CompareTimeText(FormatClockTime(QTime(14, 30, 0, 10)), FormatClockTime(QTime(14, 30, 0, 20))), 0);
}

// The length rule only holds because FormatRunTime never pads: check it
// against the numbers over many random run times.
TEST(CompareTimeText, agreesWithRunTimeOrder)
{
    std::mt19937 random(4711);
    std::uniform_int_distribution<std::int32_t> ms(0, std::numeric_limits<std::int32_t>::max());
    for (int i = 0; i < 2000; ++i) {
        const std::int32_t a = ms(random) >> (i % 31);
        const std::int32_t b = ms(random) >> (i % 29);
        const int expected = (a / 10 > b / 10) - (a / 10 < b / 10);
        ASSERT_EQ(CompareTimeText(FormatRunTime(a), FormatRunTime(b)), expected) << a << " " << b;
    }
}
