#pragma once

#include "Scoring.h"

#include <QDateTime>
#include <QPageLayout>
#include <QString>
#include <QStringList>

#include <vector>

class QPrinter;

// The lists posted at an event, built from one scoring result: class results
// (one class per printed page), the overall result with the fastest run of
// the day, teams and the start list. The same pages go to a web page, to a
// printer or PDF, and to a workbook, so every form shows the same texts.

enum class ResultList { Classes, Overall, Teams, StartList };

// When the lists were posted and whether they are final.
struct Posting
{
    bool official = false;
    QDateTime postedAt;
};

// One cell of a list. Times keep their milliseconds, so a workbook gets the
// number the text shows.
struct ListCell
{
    enum class Kind { Text, Number, Time, Gap };
    Kind kind = Kind::Text;
    QString text;            // as shown
    QString note;            // a second, smaller line: raw time and penalties, a reason
    std::int64_t ms = 0;     // Time and Gap: the value shown
    bool inMs = false;       // shown with thousandths
    bool notCounted = false; // a run outside the total: shown in brackets
    int number = 0;          // Number
    int penaltySeconds = 0;  // a run's penalties, for the workbook's own column
    int span = 1;            // columns it covers
};

struct ListColumn
{
    QString title;
    bool run = false; // a scored run: the workbook adds its penalty seconds beside it
};

struct ListPage
{
    QString heading;                          // "Klasse G3", "Gesamtwertung", ...
    QString sheetName;                        // the workbook's sheet
    QStringList notes;                        // lines under the heading
    std::vector<ListColumn> columns;
    std::vector<std::vector<ListCell>> rows;
    int unplacedFrom = -1;                    // first row under "ohne Wertung", -1 when none
};

class ResultLists
{
public:
    ResultLists(ScoringResult result, Posting posting);

    std::vector<ListPage> Pages(const std::vector<ResultList>& lists) const;

    // A self-contained web page, every page headed as when printed.
    QString Html(const std::vector<ResultList>& lists) const;
    // Prints on a printer the caller has set up (a PDF file, a preview, a
    // real printer): one heading and page number on every page. False when
    // the printer could not be started.
    bool Print(QPrinter& printer, const std::vector<ResultList>& lists) const;
    // Lists with many runs are wider than a portrait page.
    QPageLayout::Orientation Orientation() const;

    // Each writes the file whole or not at all; false with a German reason.
    bool WriteHtml(const QString& path, const std::vector<ResultList>& lists, QString* error = nullptr) const;
    bool WritePdf(const QString& path, const std::vector<ResultList>& lists, QString* error = nullptr) const;
    bool WriteXlsx(const QString& path, const std::vector<ResultList>& lists, QString* error = nullptr) const;

    // "12.09.2026 · Oberdorf" and "vorläufig – ausgehängt am 12.09.2026 um 14:32 Uhr".
    QString DateAndVenue() const;
    QString PostingText() const;

private:
    ListPage RankedPage(const RankedList& list, bool withClass) const;
    ListPage ClassPage(const RankedList& list) const;
    ListPage OverallPage() const;
    ListPage TeamPage() const;
    ListPage StartListPage() const;
    std::vector<ListColumn> ResultColumns(bool withClass) const;
    std::vector<ListCell> StandingRow(const Standing& standing, bool placed, bool withClass) const;
    QString BodyHtml(const std::vector<ListPage>& pages, bool forPrint) const;

    ScoringResult result_;
    Posting posting_;
};
