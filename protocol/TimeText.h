#pragma once

#include <QString>
#include <QTime>
#include <cstdint>
#include <optional>

// The texts of the protocol's time columns. Times always use "." between
// minutes and seconds and "," before the hundredths, whatever the locale.

// Time of day for "Start" and "Stopp": unpadded hour, "9:05.03,07".
// An invalid time gives the empty text ("not known").
QString FormatClockTime(const QTime& time);

// Run time for "Zeit" with leading zeros dropped: "5,12", "1.05,12",
// "1:00.00,00". Hundredths are truncated. A longer text always means a longer
// time, which CompareTimeText relies on. A negative run time is no valid
// result and gives "-", so it is never ranked.
QString FormatRunTime(std::int32_t ms);

// Inverse of FormatRunTime ("5,12" -> 5120, "1:00.00,00" -> 3600000).
// A text that is not a run time ("-", "", "5,1x") gives 0.
std::int32_t ParseRunTime(const QString& text);

// The run time of a text exactly as FormatRunTime writes it; nothing for any
// other text ("-", blanks, "05,12"), so a number is only made of a real time.
std::optional<std::int32_t> ReadRunTime(const QString& text);

// Ordering of the time columns: by length (shorter run time first), equal
// lengths by character codes, then every "-", then every empty or blank-only
// text (these too by character codes: "" < " " < "  "). Negative, 0 or positive like strcmp.
int CompareTimeText(const QString& a, const QString& b);
// What CompareTimeText compares first (the length, or the place of "-" and
// of blank texts); a sort can take it once per row.
qsizetype TimeTextOrderKey(const QString& text);

// True for the empty text and for a text of blanks only (as loaded files
// store an empty cell).
bool IsBlankText(const QString& text);
