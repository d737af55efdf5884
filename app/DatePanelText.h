#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>

// The date panel's text: the locale's short date, three blanks, the
// locale's short time ("06.12.2026   21:03" on a German system). A short
// date with a two-digit year gets all four digits, so the protocol's day
// can never be mistaken; a short time with seconds loses them.
QString DatePanelText(const QDateTime& now, const QLocale& locale);

// How long from now until the next minute begins (1 .. 60,000 ms): the
// panel shows minutes, so it is written once at each minute's start.
int MsToNextMinute(const QDateTime& now);
