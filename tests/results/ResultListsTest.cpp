#include "ResultLists.h"
#include "ExportReaders.h"
#include "QtPrinters.h"
#include "ScoringFixtures.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <clocale>
#include <iostream>
#include <string>

namespace {

Entry Person(int number, const char* name, const char* first, const char* car, const char* cls, const char* club,
             const char* team)
{
    Entry e = Driver(number, QString::fromUtf8(cls), 0, QString::fromUtf8(team));
    e.name = QString::fromUtf8(name);
    e.firstName = QString::fromUtf8(first);
    e.car = QString::fromUtf8(car);
    e.club = QString::fromUtf8(club);
    return e;
}

// A small club slalom: one training and two scored runs, summed; teams of two.
ScoringResult HandEvent()
{
    EventRules rules;
    rules.title = QStringLiteral("Herbstslalom");
    rules.date = QDate(2026, 9, 12);
    rules.venue = QStringLiteral("Oberdorf");
    rules.teams = true;
    rules.teamBestOf = 2;
    const std::vector<Entry> entries = {
        Person(11, "Müller", "Hans", "Golf GTI", "G3", "MSC Tal", "Tal"),
        Person(12, "Schmidt", "Eva", "Polo", "G3", "AC Berg", "Berg"),
        Person(13, "Weber", "Jörg", "Corsa", "G3", "MSC Tal", "Tal"),
        Person(21, "Koch", "Udo", "Clio", "F9", "AC Berg", "Berg"),
        Person(22, "Bauer", "Lena", "Swift", "F9", "MSC Tal", ""),
    };
    const std::vector<RunRecord> runs = {
        Timed(11, 1, 40000, 0, 0, RunStatus::Valid, {}, RunKind::Training),
        Timed(11, 1, 55123, 1), Timed(11, 2, 56450),
        Timed(12, 1, 54000), Timed(12, 2, 57000, 0, 1),
        Timed(13, 1, 53990), Timed(13, 2, 55000, 0, 0, RunStatus::Invalid, QStringLiteral("Tor 7 verfehlt")),
        Timed(21, 1, 59000, 2), Timed(21, 2, 60000),
        Timed(22, 1, 58500), Timed(22, 2, 0, 0, 0, RunStatus::DNF),
    };
    return ScoreEvent(rules, entries, runs);
}

ResultLists HandLists(bool official = false)
{
    return ResultLists(HandEvent(), Posting{official, QDateTime(QDate(2026, 9, 12), QTime(18, 5))});
}

const std::vector<ResultList> kAll = {ResultList::Classes, ResultList::Overall, ResultList::Teams,
                                      ResultList::StartList};

// A page's rows as "cell|cell|..." with a note in braces.
QStringList RowTexts(const ListPage& page)
{
    QStringList rows;
    for (int r = 0; r < static_cast<int>(page.rows.size()); ++r) {
        QStringList cells;
        for (const ListCell& c : page.rows[r])
            cells.append(c.note.isEmpty() ? c.text : c.text + QStringLiteral(" {") + c.note + u'}');
        rows.append((r == page.unplacedFrom ? QStringLiteral("o.W.: ") : QString()) + cells.join(u'|'));
    }
    return rows;
}

int PdfPages(const QByteArray& pdf)
{
    static const QRegularExpression page(QStringLiteral("/Type\\s*/Page(?![a-zA-Z])"));
    return static_cast<int>(QString::fromLatin1(pdf).count(page));
}

} // namespace

// Every value below was worked out by hand from the runs in HandEvent.
TEST(ResultLists, HandComputedEventTable)
{
    const std::vector<ListPage> pages = HandLists().Pages(kAll);
    ASSERT_EQ(pages.size(), 5u);
    EXPECT_EQ(pages[0].heading, "Klasse G3");
    EXPECT_EQ(RowTexts(pages[0]),
              QStringList({"1.|11|Müller, Hans|Golf GTI|MSC Tal|58,12 {55,12 + 3 s}|56,45|1.54,57||",
                           "2.|12|Schmidt, Eva|Polo|AC Berg|54,00|1.12,00 {57,00 + 15 s}|2.06,00|+11,43|+11,43",
                           "o.W.: |13|Weber, Jörg|Corsa|MSC Tal|53,99|n.g. {Tor 7 verfehlt}|"
                           "Lauf 2 n.g.: Tor 7 verfehlt"}));
    EXPECT_EQ(pages[1].heading, "Klasse F9");
    EXPECT_EQ(RowTexts(pages[1]), QStringList({"1.|21|Koch, Udo|Clio|AC Berg|1.05,00 {59,00 + 6 s}|1.00,00|2.05,00||",
                                               "o.W.: |22|Bauer, Lena|Swift|MSC Tal|58,50|DNF|Lauf 2 DNF"}));
    EXPECT_EQ(pages[2].heading, "Gesamtwertung");
    EXPECT_EQ(pages[2].notes.front(), "Tagesbestzeit: 53,99 – Nr. 13 Weber, Jörg (G3), Lauf 1");
    EXPECT_EQ(RowTexts(pages[2]),
              QStringList({"1.|11|Müller, Hans|Golf GTI|MSC Tal|G3|58,12 {55,12 + 3 s}|56,45|1.54,57||",
                           "2.|21|Koch, Udo|Clio|AC Berg|F9|1.05,00 {59,00 + 6 s}|1.00,00|2.05,00|+10,43|+10,43",
                           "3.|12|Schmidt, Eva|Polo|AC Berg|G3|54,00|1.12,00 {57,00 + 15 s}|2.06,00|+11,43|+1,00",
                           "o.W.: |13|Weber, Jörg|Corsa|MSC Tal|G3|53,99|n.g. {Tor 7 verfehlt}|"
                           "Lauf 2 n.g.: Tor 7 verfehlt",
                           "|22|Bauer, Lena|Swift|MSC Tal|F9|58,50|DNF|Lauf 2 DNF"}));
    EXPECT_EQ(pages[3].heading, "Teamwertung");
    EXPECT_EQ(RowTexts(pages[3]), QStringList({"1.|Berg|21 Koch, Udo 2.05,00\n12 Schmidt, Eva 2.06,00|4.11,00||",
                                               "o.W.: |Tal|11 Müller, Hans 1.54,57\n13 Weber, Jörg|"
                                               "nur 1 von 2 Fahrern gewertet"}));
    EXPECT_EQ(pages[4].heading, "Starterliste");
    EXPECT_EQ(RowTexts(pages[4]).front(), "11|Müller|Hans|Golf GTI|G3|MSC Tal|Tal");
}

TEST(ResultLists, RunsOutsideTheTotalAreBracketedAndDecidingThousandthsShown)
{
    EventRules rules;
    rules.rule = ScoringRule::SumOfBestN;
    rules.scoredRuns = 3;
    rules.bestN = 2;
    const ScoringResult result = ScoreEvent(rules, {Driver(1, "A"), Driver(2, "A")},
                                            {Timed(1, 1, 50004), Timed(1, 2, 50000), Timed(1, 3, 61000), Timed(2, 1, 50000),
                                             Timed(2, 2, 50001), Timed(2, 3, 0, 0, 0, RunStatus::DNS)});
    const ListPage page = ResultLists(result, {}).Pages({ResultList::Classes}).front();
    EXPECT_EQ(RowTexts(page), QStringList({"1.|2|Fahrer2|||50,000|50,001|DNS|1.40,001||",
                                           "2.|1|Fahrer1|||50,004|50,000|(1.01,00)|1.40,004|+0,003|+0,003"}));
}

TEST(ResultLists, HtmlIsSelfContainedEscapedAndHeadsEveryPage)
{
    EventRules rules;
    rules.title = QStringLiteral("Slalom <b>& Co</b>");
    rules.date = QDate(2026, 9, 12);
    rules.venue = QStringLiteral("Oberdorf");
    Entry bad = Driver(1, QStringLiteral("A\"><i>"));
    bad.name = QStringLiteral("<script>alert(1)</script>");
    const QString html = ResultLists(ScoreEvent(rules, {bad, Driver(2, "B")}, {Timed(1, 1, 50000), Timed(1, 2, 51000)}),
                                     Posting{false, QDateTime(QDate(2026, 9, 12), QTime(18, 5))})
                             .Html(kAll);
    EXPECT_TRUE(html.contains(QStringLiteral("&lt;script&gt;alert(1)&lt;/script&gt;")));
    EXPECT_FALSE(html.contains(QStringLiteral("<script"), Qt::CaseInsensitive));
    EXPECT_FALSE(html.contains(QStringLiteral("<i>")));
    EXPECT_FALSE(html.contains(QStringLiteral("<b>")));
    for (const char* external : {"src=", "href=", "url(", "@import", "http"})
        EXPECT_FALSE(html.contains(QLatin1String(external), Qt::CaseInsensitive)) << external;
    const QString head = QStringLiteral("<div class=\"title\">Slalom &lt;b&gt;&amp; Co&lt;/b&gt;</div>"
                                        "<div>12.09.2026 · Oberdorf</div>"
                                        "<div class=\"status\">vorläufig – ausgehängt am 12.09.2026 um 18:05 Uhr</div>");
    // Two classes, the overall result and the start list (teams are off).
    EXPECT_EQ(html.count(head), 4);
    for (const char* heading : {"<h2>Klasse A&quot;&gt;&lt;i&gt;</h2>", "<h2>Klasse B</h2>",
                                "<h2>Gesamtwertung</h2>", "<h2>Starterliste</h2>"})
        EXPECT_TRUE(html.contains(QString::fromUtf8(heading))) << heading;
    EXPECT_FALSE(html.contains(QStringLiteral("Teamwertung")));
}

TEST(ResultLists, OfficialListsSayOfficial)
{
    EXPECT_EQ(HandLists(true).PostingText(), "offiziell – ausgehängt am 12.09.2026 um 18:05 Uhr");
    EXPECT_EQ(HandLists(false).PostingText(), "vorläufig – ausgehängt am 12.09.2026 um 18:05 Uhr");
}

TEST(ResultLists, PdfHasOnePagePerClass)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Klassen.pdf"));
    QString error;
    ASSERT_TRUE(HandLists().WritePdf(path, {ResultList::Classes}, &error)) << error;
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(PdfPages(file.readAll()), 2);
    EXPECT_FALSE(QFile::exists(path + QStringLiteral(".part")));

    ASSERT_TRUE(HandLists().WritePdf(path, kAll, &error)) << error;
    file.close();
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(PdfPages(file.readAll()), 5);
}

TEST(ResultLists, AFileThatCannotBeWrittenSaysSoAndLeavesNothing)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("fehlt/Liste"));
    for (const auto& write : {&ResultLists::WriteHtml, &ResultLists::WritePdf, &ResultLists::WriteXlsx}) {
        QString error;
        EXPECT_FALSE((HandLists().*write)(path, kAll, &error));
        EXPECT_EQ(error, QStringLiteral("Die Datei „%1“ konnte nicht geschrieben werden.").arg(path));
    }
    EXPECT_TRUE(QDir(dir.path()).isEmpty());
}

// The spreadsheet library would follow a German C locale and write "58,12";
// the workbook must hold numbers whatever LANG says.
TEST(ResultLists, XlsxHoldsNumbersUnderAGermanLocale)
{
    const std::string before = std::setlocale(LC_NUMERIC, nullptr);
    const bool german = std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Ergebnis.xlsx"));
    QString error;
    const bool written = HandLists().WriteXlsx(path, kAll, &error);
    std::setlocale(LC_NUMERIC, before.c_str());
    ASSERT_TRUE(written) << error;
    if (!german)
        std::cout << "locale de_DE.UTF-8 not generated: written under " << before << '\n';

    const QByteArray workbook = UnzipEntry(path, QStringLiteral("xl/workbook.xml"));
    QStringList names;
    static const QRegularExpression sheetName(QStringLiteral("<sheet name=\"([^\"]*)\""));
    for (const QRegularExpressionMatch& m : sheetName.globalMatch(QString::fromUtf8(workbook)))
        names.append(m.captured(1));
    EXPECT_EQ(names, QStringList({"G3", "F9", "Gesamtwertung", "Teamwertung", "Starterliste"}));

    const XlsxSheet sheet = ReadXlsx(path);
    EXPECT_EQ(sheet.title, "Herbstslalom");
    EXPECT_EQ(sheet.cells.value("A1").value, "Herbstslalom");
    EXPECT_EQ(sheet.cells.value("A3").value, "vorläufig – ausgehängt am 12.09.2026 um 18:05 Uhr");
    EXPECT_EQ(sheet.cells.value("A5").value, "Klasse G3");
    EXPECT_EQ(sheet.cells.value("F9").value, "Lauf 1");
    EXPECT_EQ(sheet.cells.value("G9").value, "Strafe (s)");
    const auto ms = [&](const char* ref) {
        const XlsxCell cell = sheet.cells.value(QLatin1String(ref));
        EXPECT_TRUE(cell.number) << ref;
        return qRound64(cell.value.toDouble() * 86400000.0);
    };
    EXPECT_EQ(sheet.cells.value("A10"), (XlsxCell{true, "1"}));
    EXPECT_EQ(sheet.cells.value("B10"), (XlsxCell{true, "11"}));
    EXPECT_EQ(sheet.cells.value("C10"), (XlsxCell{false, "Müller, Hans"}));
    EXPECT_EQ(ms("F10"), 58120);
    EXPECT_EQ(sheet.formats.value("F10"), "s.00");
    EXPECT_EQ(sheet.cells.value("G10"), (XlsxCell{true, "3"}));
    EXPECT_EQ(ms("J10"), 114570);
    EXPECT_EQ(sheet.formats.value("J10"), "[m]\".\"ss.00");
    EXPECT_EQ(ms("K11"), 11430);
    EXPECT_EQ(sheet.formats.value("K11"), "\"+\"s.00");
    EXPECT_EQ(sheet.cells.value("A12").value, "ohne Wertung");
    EXPECT_EQ(sheet.cells.value("H13"), (XlsxCell{false, "n.g. (Tor 7 verfehlt)"}));
    EXPECT_EQ(sheet.cells.value("J13"), (XlsxCell{false, "Lauf 2 n.g.: Tor 7 verfehlt"}));

    // Printed from a spreadsheet program: one page wide, A4, numbered pages.
    const QString sheetXml = QString::fromUtf8(UnzipEntry(path, QStringLiteral("xl/worksheets/sheet1.xml")));
    EXPECT_TRUE(sheetXml.contains(QStringLiteral("fitToPage=\"1\""))) << sheetXml.toStdString();
    EXPECT_TRUE(sheetXml.contains(QStringLiteral("paperSize=\"9\"")));
    EXPECT_TRUE(sheetXml.contains(QStringLiteral("fitToHeight=\"0\"")));
    EXPECT_TRUE(sheetXml.contains(QStringLiteral("orientation=\"landscape\"")));
    EXPECT_TRUE(sheetXml.contains(QStringLiteral("Seite &amp;P von &amp;N")));
}
