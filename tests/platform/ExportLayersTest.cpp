#include "ExportReaders.h"
#include "QtDesktopShell.h"
#include "QtPrinters.h"
#include "RecordingExportLayers.h"
#include "RtfWordProcessor.h"
#include "XlsxSpreadsheet.h"

#include <QDir>
#include <QFile>
#include <QPrinter>
#include <QTemporaryDir>
#include <clocale>
#include <string>
#include <gtest/gtest.h>

namespace {

const QString kTemplate = QStringLiteral(RAVOLT_RESOURCES "/Protokollvorlage.doc");

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteAll(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

} // namespace

TEST(SplitTabText, QuotedFieldsKeepTabsLineBreaksAndQuotes)
{
    const struct {
        QString text;
        QList<QStringList> lines;
    } cases[] = {
        {"a\tb\r\n\t\r\n", {{"a", "b"}, {"", ""}}},
        {"\" \"\tx\r\n", {{" ", "x"}}},
        {"\"say \"\"hi\"\"\"\r\n", {{"say \"hi\""}}},
        {"\"a\tb\"\t\"c\r\nd\"\r\n", {{"a\tb", "c\r\nd"}}},
        {"last line\twithout end", {{"last line", "without end"}}},
        {"x\ny\rz", {{"x"}, {"y"}, {"z"}}},
        {"", {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SplitTabText(c.text), c.lines) << c.text;
}

TEST(RtfText, EscapesControlCharactersAndWritesUmlautsAsEscapes)
{
    const struct {
        QString text;
        QByteArray rtf;
    } cases[] = {
        {"9:05.03,27", "9:05.03,27"},
        {"a\\b{c}", "a\\\\b\\{c\\}"},
        {QStringLiteral("Grüße"), "Gr\\'fc\\'dfe"},
        {QStringLiteral("Ö€"), "\\'d6\\u8364?"},
        {QStringLiteral("Łódź"), "\\u321?\\'f3d\\u378?"},
        {"a\tb\r\nc\x01", "a\\tab b\\line c"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(RtfText(c.text), c.rtf) << c.text;
}

TEST(RtfWordProcessor, TurnsTheInsertedLinesIntoATableOfTheTemplateAndShowsTheSavedDocument)
{
    QTemporaryDir dir;
    RecordingDesktopShell shell;
    RtfWordProcessor word(shell, dir.filePath("Dokumente"));
    ASSERT_TRUE(word.FileOpen(kTemplate, QStringLiteral("Bergrennen Öhringen")));
    ASSERT_TRUE(word.Insert("Nr.\tStart\tStopp\tZeit\tkm/h\tPlatz\r\n"
                            "7\t9:05.03,27\t9:06.08,39\t1.05,12\t55,3\t1\r\n"
                            "\" \"\t\"{\\}\"\t\t\t\t\r\n"));
    ASSERT_TRUE(word.TextToTable(6));
    ASSERT_TRUE(word.FileSaveAs("2026-12-06-21-03.doc"));
    EXPECT_TRUE(word.ShowDocument());

    const QString saved = dir.filePath("Dokumente/2026-12-06-21-03.doc");
    EXPECT_EQ(word.SavedPath(), saved);
    EXPECT_EQ(shell.calls, QStringList{"open " + saved});
    const RtfContent content = ReadRtf(ReadAll(saved));
    const QList<QStringList> rows = {
        {"Nr.", "Start", "Stopp", "Zeit", "km/h", "Platz"},
        {"7", "9:05.03,27", "9:06.08,39", "1.05,12", "55,3", "1"},
        {" ", "{\\}", "", "", "", ""},
    };
    EXPECT_EQ(content.rows, rows);
    EXPECT_TRUE(content.paragraphs.contains(QStringLiteral("Bergrennen Öhringen"))) << content.paragraphs.join('|');
}

TEST(RtfWordProcessor, AMissingOrDamagedTemplateStopsTheExport)
{
    QTemporaryDir dir;
    const struct {
        const char* name;
        QByteArray content;
    } templates[] = {
        {"not RTF", "Zeitenprotokoll [Protokoll]"},
        {"no mark", "{\\rtf1 Zeitenprotokoll\\par}"},
        {"two marks", "{\\rtf1 [Protokoll]\\par [Protokoll]\\par}"},
        {"open brace", "{\\rtf1 {\\b [Protokoll]\\par}"},
        {"empty", ""},
    };
    RecordingDesktopShell shell;
    RtfWordProcessor word(shell, dir.path());
    for (const auto& t : templates) {
        const QString path = dir.filePath(t.name);
        WriteAll(path, t.content);
        EXPECT_FALSE(word.FileOpen(path, "Ravolt")) << t.name;
        EXPECT_FALSE(word.Insert("x\r\n")) << t.name;
        EXPECT_FALSE(word.FileSaveAs("out.doc")) << t.name;
    }
    EXPECT_FALSE(word.FileOpen(dir.filePath("missing.doc"), "Ravolt"));
    EXPECT_FALSE(QFile::exists(dir.filePath("out.doc")));
}

TEST(XlsxSpreadsheet, PlainDecimalNumbersOnly)
{
    const struct {
        QString text;
        bool number;
        double value;
        int decimals;
    } cases[] = {
        {"7", true, 7, 0},      {"105,3", true, 105.3, 1}, {"55.3", true, 55.3, 1},
        {"-0,25", true, -0.25, 2}, {"1.05,12", false, 0, 0}, {"9:05.03,27", false, 0, 0},
        {"-", false, 0, 0},     {" ", false, 0, 0},        {",5", false, 0, 0},
        {"5,", false, 0, 0},    {"+5", false, 0, 0},       {"1 000", false, 0, 0},
        {QStringLiteral("٣"), false, 0, 0},
        {"123456789012345", true, 123456789012345.0, 0}, {"1234567890123456", false, 0, 0},
        {"-12345678901234,5", true, -12345678901234.5, 1}, {"12345678901234,56", false, 0, 0},
    };
    for (const auto& c : cases) {
        const auto number = XlsxSpreadsheet::PlainNumber(c.text);
        ASSERT_EQ(number.has_value(), c.number) << c.text;
        if (number) {
            EXPECT_DOUBLE_EQ(number->value, c.value) << c.text;
            EXPECT_EQ(number->decimals, c.decimals) << c.text;
        }
    }
}

TEST(XlsxSpreadsheet, WritesANewWorkbookInItsFolderWithFittedColumnsAndOpensIt)
{
    QTemporaryDir dir;
    RecordingDesktopShell shell;
    XlsxSpreadsheet sheet(shell, dir.filePath("privat"));
    ASSERT_TRUE(sheet.Connect());
    EXPECT_EQ(QFile(dir.filePath("privat")).permissions() & 0x0077, 0) << "only the user may look in";
    sheet.NewWorkbook(QStringLiteral("Zeitenprotokoll Ölberg"));
    sheet.SetCell(1, 1, "Nr.");
    sheet.SetCell(1, 2, "Start");
    sheet.SetCell(2, 1, "12");
    sheet.SetCell(2, 2, "9:05.03,27");
    sheet.SetCell(2, 3, "105,3");
    sheet.SetCell(3, 2, QStringLiteral("Straße"));
    sheet.AutoFitColumns();
    ASSERT_EQ(sheet.ShowWorkbook(), Spreadsheet::Shown::Yes);

    ASSERT_EQ(shell.calls, QStringList{"open " + sheet.WorkbookFile()});
    EXPECT_EQ(QFileInfo(sheet.WorkbookFile()).absolutePath(), dir.filePath("privat"));
    EXPECT_EQ(QDir(dir.filePath("privat")).entryList(QDir::Files), QStringList{QFileInfo(sheet.WorkbookFile()).fileName()})
        << "no half-written file left beside it";
    const XlsxSheet read = ReadXlsx(sheet.WorkbookFile());
    const QMap<QString, XlsxCell> cells = {
        {"A1", {false, "Nr."}}, {"B1", {false, "Start"}},         {"A2", {true, "12"}},
        {"B2", {false, "9:05.03,27"}}, {"C2", {true, "105.3"}}, {"B3", {false, QStringLiteral("Straße")}},
    };
    EXPECT_EQ(read.cells, cells);
    EXPECT_EQ(read.title, QStringLiteral("Zeitenprotokoll Ölberg"));
    ASSERT_EQ(read.widths.size(), 3);
    EXPECT_GT(read.widths[2], read.widths[1]) << "the clock time needs the wider column";
    EXPECT_GE(read.widths[2], 10);
}

// The C library prints numbers the German way once the program has taken
// its locale from LANG=de_DE.UTF-8; the workbook must not follow it.
TEST(XlsxSpreadsheet, NumbersAndRunTimesStayNumbersUnderAGermanLocale)
{
    const std::string before = std::setlocale(LC_NUMERIC, nullptr);
    if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8"))
        GTEST_SKIP() << "locale de_DE.UTF-8 not generated (scripts/setup.sh makes it)";
    QTemporaryDir dir;
    RecordingDesktopShell shell;
    XlsxSpreadsheet sheet(shell, dir.filePath("privat"));
    ASSERT_TRUE(sheet.Connect());
    sheet.NewWorkbook("Ravolt");
    sheet.SetCell(1, 1, "74,1");
    const struct {
        const char* ref;
        std::int32_t ms;
        const char* text;
        const char* format;
    } times[] = {
        {"B1", 5120, "5,12", "s.00"},
        {"B2", 65120, "1.05,12", "[m]\".\"ss.00"},
        {"B3", 3600000, "1:00.00,00", "[h]:mm\".\"ss.00"},
    };
    for (int i = 0; i < 3; ++i)
        sheet.SetRunTime(i + 1, 2, times[i].ms, times[i].text);
    sheet.AutoFitColumns();
    const bool shown = sheet.ShowWorkbook() == Spreadsheet::Shown::Yes;
    std::setlocale(LC_NUMERIC, before.c_str());
    ASSERT_TRUE(shown);

    const XlsxSheet read = ReadXlsx(sheet.WorkbookFile());
    bool ok = false;
    EXPECT_TRUE(read.cells.value("A1").number);
    EXPECT_DOUBLE_EQ(read.cells.value("A1").value.toDouble(&ok), 74.1) << read.cells.value("A1").value;
    EXPECT_TRUE(ok);
    for (const auto& t : times) {
        const XlsxCell cell = read.cells.value(t.ref);
        EXPECT_TRUE(cell.number) << t.text;
        EXPECT_DOUBLE_EQ(cell.value.toDouble(&ok), t.ms / 86400000.0) << t.text << " written " << cell.value;
        EXPECT_TRUE(ok) << t.text;
        EXPECT_EQ(read.formats.value(t.ref), QString::fromUtf8(t.format)) << t.text;
    }
    ASSERT_EQ(read.widths.size(), 2);
    EXPECT_GT(read.widths[1], 5.0) << "a width the spreadsheet can read";
    EXPECT_GT(read.widths[2], read.widths[1]);
}

TEST(XlsxSpreadsheet, AnOverLongTextIsCutSoTheWorkbookStillOpens)
{
    QTemporaryDir dir;
    RecordingDesktopShell shell;
    XlsxSpreadsheet sheet(shell, dir.filePath("privat"));
    ASSERT_TRUE(sheet.Connect());
    sheet.NewWorkbook("Ravolt");
    sheet.SetCell(1, 1, QString(40000, QChar(0xFC)));
    sheet.AutoFitColumns();
    ASSERT_EQ(sheet.ShowWorkbook(), Spreadsheet::Shown::Yes);
    const XlsxSheet read = ReadXlsx(sheet.WorkbookFile());
    EXPECT_EQ(read.cells.value("A1").value, QString(16383, QChar(0xFC))) << "32,766 bytes of UTF-8";
    ASSERT_EQ(read.widths.size(), 1);
    EXPECT_LE(read.widths[0], 255);
}

TEST(XlsxSpreadsheet, AWorkbookNothingOpensIsStillWrittenAndSaysSo)
{
    QTemporaryDir dir;
    RecordingDesktopShell shell;
    shell.opens = false;
    XlsxSpreadsheet sheet(shell, dir.filePath("privat"));
    ASSERT_TRUE(sheet.Connect());
    sheet.NewWorkbook("Ravolt");
    sheet.SetCell(1, 1, "Nr.");
    EXPECT_EQ(sheet.ShowWorkbook(), Spreadsheet::Shown::NoProgram);
    EXPECT_TRUE(QFileInfo(sheet.WorkbookFile()).isFile());
}

TEST(XlsxSpreadsheet, NoFolderMeansNoSpreadsheet)
{
    QTemporaryDir dir;
    WriteAll(dir.filePath("file"), "x");
    RecordingDesktopShell shell;
    XlsxSpreadsheet sheet(shell, dir.filePath("file/sub"));
    EXPECT_FALSE(sheet.Connect());
}

TEST(QtDesktopShell, OpenSaysWhenNoProgramTakesTheFile)
{
    QTemporaryDir dir;
    const QString book = dir.filePath("Zeitenprotokoll.xlsx");
    WriteAll(book, "x");
    // No opener and no database to ask: nothing can show the file.
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", dir.path().toUtf8());
    const bool opened = QtDesktopShell(nullptr).Open(book);
    qputenv("PATH", path);
    EXPECT_FALSE(opened);
}

// The desktop's opener would start, fail on its own and nobody would hear
// of it: the desktop is asked for a program first.
TEST(QtDesktopShell, AsksTheDesktopWhetherAProgramTakesTheType)
{
    QTemporaryDir dir;
    const QString book = dir.filePath("Zeitenprotokoll.xlsx");
    WriteAll(book, "x");
    const QString script = dir.filePath("xdg-mime");
    const struct {
        QByteArray answer;
        bool program;
    } cases[] = {{"", false}, {"libreoffice-calc.desktop", true}};
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", dir.path().toUtf8() + ":/bin:/usr/bin");
    for (const auto& c : cases) {
        WriteAll(script, "#!/bin/sh\necho " + c.answer + "\n");
        QFile::setPermissions(script, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        EXPECT_EQ(DesktopHasProgramFor(book), c.program) << c.answer.constData();
    }
    QFile::remove(script);
    qputenv("PATH", dir.path().toUtf8());
    EXPECT_TRUE(DesktopHasProgramFor(book)) << "nobody to ask: the opener tries";
    qputenv("PATH", path);
}

TEST(QtDesktopShell, PrintsThePageOnTheDefaultPrinterOrNothingWithoutOne)
{
    QTemporaryDir dir;
    const QString page = dir.filePath("ravolt.html");
    WriteAll(page, "<HTML><META http-equiv=Content-Type content=\"text/html; charset=iso-8859-1\">"
                   "<BODY><table border=1><tr><td>7<td>M\xfcller</tr></table></body></html>\r\n");
    const QString pdf = dir.filePath("druck.pdf");
    for (const bool printerInstalled : {false, true}) {
        QtDesktopShell shell([&]() -> std::unique_ptr<QPrinter> {
            if (!printerInstalled)
                return nullptr;
            auto printer = std::make_unique<QPrinter>();
            printer->setOutputFormat(QPrinter::PdfFormat);
            printer->setOutputFileName(pdf);
            return printer;
        });
        EXPECT_EQ(shell.PrintPage(page), printerInstalled ? DesktopShell::Printed::Yes : DesktopShell::Printed::NoPrinter);
        EXPECT_EQ(QFile::exists(pdf), printerInstalled);
    }
    const QByteArray printed = ReadAll(pdf);
    EXPECT_TRUE(printed.startsWith("%PDF"));
    EXPECT_EQ(printed.count("/Type /Page\n") + printed.count("/Type /Page\r") + printed.count("/Type /Page/"), 1)
        << "one page";
}
