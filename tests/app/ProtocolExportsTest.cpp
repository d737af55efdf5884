#include "ExportReaders.h"
#include "FakeClock.h"
#include "ProtocolExports.h"
#include "QtPrinters.h"
#include "RecordingExportLayers.h"
#include "RecordingJournal.h"
#include "RtfWordProcessor.h"
#include "TExcel.h"
#include "XlsxSpreadsheet.h"

#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

const ProtocolRow kHeader = {"Nr.", "Start", "Stopp", "Zeit", "km/h", "Platz"};

struct ExportsRig
{
    ExportsRig()
    {
        ProtocolExportParts parts;
        parts.rows = [this] { return rows; };
        parts.clock = &clock;
        parts.title = "Ravolt";
        parts.pageFile = dir.filePath("ravolt.html");
        parts.templatePath = "Protokollvorlage.doc";
        parts.shell = &shell;
        parts.word = &word;
        parts.spreadsheet = &sheet;
        parts.showError = [this](const QString& m) { messages.append(m); };
        parts.showNotice = [this](const QString& m) { notices.append(m); };
        exports = new ProtocolExports(parts, &window);
        exports->SetJournal(&journal);
    }
    QTemporaryDir dir;
    QWidget window;
    FakeClock clock;
    RecordingDesktopShell shell;
    RecordingWordProcessor word;
    RecordingSpreadsheet sheet;
    QStringList messages;
    QStringList notices;
    RecordingJournal journal;
    ProtocolRows rows = {kHeader, {"7", "9:05.03,27", "9:06.08,39", "1.05,12", "55,3", "1"}};
    ProtocolExports* exports;
};

} // namespace

TEST(ProtocolExports, PageButtonsWriteThePageThenOpenOrPrintWhatExists)
{
    const struct {
        bool writable;
        bool olderPage;
        int tag;
        QStringList calls;
        bool message;
    } cases[] = {
        {true, false, 0, {"open "}, false},
        {true, true, 1, {"print "}, false},
        {false, false, 0, {}, true},
    };
    for (const auto& c : cases) {
        ExportsRig rig;
        const QString page = rig.dir.filePath("ravolt.html");
        if (c.olderPage) {
            QFile old(page);
            ASSERT_TRUE(old.open(QIODevice::WriteOnly));
            old.write("old page");
        }
        if (!c.writable) {
            // A folder of that name cannot be replaced by a file.
            ASSERT_TRUE(QDir(rig.dir.path()).mkdir("ravolt.html"));
        }
        QObject button;
        button.setProperty("Tag", c.tag);
        rig.exports->sbInetClick(&button);
        QStringList expected;
        for (const QString& verb : c.calls)
            expected.append(verb + page);
        EXPECT_EQ(rig.shell.calls, expected) << c.tag;
        EXPECT_EQ(rig.messages, c.message ? QStringList{"Der Schreibfehler der Datei: " + page} : QStringList());
        QStringList journal{(c.writable ? "Webseite geschrieben: " : "Webseite fehlgeschlagen: ") +
                            QDir::toNativeSeparators(page)};
        if (c.tag == 1)
            journal.append("Webseite an den Drucker gegeben: " + QDir::toNativeSeparators(page));
        EXPECT_EQ(rig.journal.lines, journal);
    }
}

// The file is written, but no printer or program takes it: the operator is
// told where it lies, and the journal says it was not printed or shown.
TEST(ProtocolExports, NothingPrintedOrShownIsToldWithTheFilesPlace)
{
    ExportsRig rig;
    const QString page = QDir::toNativeSeparators(rig.dir.filePath("ravolt.html"));
    QObject printButton;
    printButton.setProperty("Tag", 1);
    for (const auto printed : {DesktopShell::Printed::NoPrinter, DesktopShell::Printed::Refused}) {
        rig.shell.printed = printed;
        rig.exports->sbInetClick(&printButton);
    }
    rig.shell.opens = false;
    QObject pageButton;
    rig.exports->sbInetClick(&pageButton);
    rig.word.shows = false;
    rig.exports->ExportToWord(ProtocolExports::WordMode::Show, "p.doc");
    rig.sheet.shown = Spreadsheet::Shown::NoProgram;
    rig.exports->sbExcelClick();

    const QString doc = QDir::toNativeSeparators("/Dokumente/p.doc");
    const QString book = QDir::toNativeSeparators(rig.sheet.WorkbookFile());
    EXPECT_EQ(rig.notices,
              QStringList({"Die Seite wurde nicht gedruckt: Es ist kein Drucker eingerichtet.\nDie Webseite liegt unter: " + page,
                           "Die Seite wurde nicht gedruckt: Der Drucker hat den Auftrag nicht angenommen.\nDie Webseite liegt unter: " + page,
                           "Die Webseite wurde nicht angezeigt: Es ist kein Programm dafür eingerichtet.\nSie liegt unter: " + page,
                           "Das Dokument ist gespeichert, aber kein Programm hat es geöffnet.\nEs liegt unter: " + doc,
                           "Die Tabelle wurde nicht geöffnet: Es ist kein Programm für Tabellen eingerichtet.\n"
                           "Sie liegt bis zum Abmelden unter: " + book}));
    EXPECT_TRUE(rig.messages.isEmpty());
    EXPECT_EQ(rig.journal.lines.filter("nicht"),
              QStringList({"Webseite nicht gedruckt, kein Drucker eingerichtet: " + page,
                           "Webseite nicht gedruckt, der Drucker nahm sie nicht an: " + page,
                           "Webseite nicht angezeigt, kein Programm dafür: " + page,
                           "Word-Dokument nicht angezeigt, kein Programm dafür: " + doc,
                           "Tabelle nicht angezeigt, kein Programm dafür: " + book}));
    EXPECT_TRUE(rig.journal.lines.filter("an den Drucker gegeben").isEmpty()) << "nothing was printed";
}

TEST(ProtocolExports, WordExportRunsUnderTheWaitCursorAndEndsAtTheFailingStep)
{
    const struct {
        ProtocolExports::WordMode mode;
        QString failAt;
        QStringList calls;
        bool message;
    } cases[] = {
        {ProtocolExports::WordMode::Show, "", {"FileOpen", "Insert", "TextToTable", "FileSaveAs", "ShowDocument"}, false},
        {ProtocolExports::WordMode::SaveAndClose, "", {"FileOpen", "Insert", "TextToTable", "FileSaveAs", "AppClose"}, false},
        {ProtocolExports::WordMode::Show, "FileOpen", {"FileOpen"}, false},
        {ProtocolExports::WordMode::Show, "TextToTable", {"FileOpen", "Insert", "TextToTable"}, false},
        {ProtocolExports::WordMode::SaveAndClose, "FileSaveAs", {"FileOpen", "Insert", "TextToTable", "FileSaveAs", "AppClose"}, true},
    };
    for (const auto& c : cases) {
        ExportsRig rig;
        rig.rows.push_back({"8", " ", "\"x\"", "", "", ""});
        rig.word.failAt = c.failAt;
        rig.exports->ExportToWord(c.mode, "p.doc");
        EXPECT_EQ(rig.word.calls, c.calls) << c.failAt;
        EXPECT_TRUE(rig.word.cursorAlwaysWaiting) << c.failAt;
        EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr) << c.failAt;
        EXPECT_EQ(rig.messages.size(), c.message ? 1 : 0) << c.failAt;
        // A template that cannot be filled ends silently: no export to journal.
        const QStringList journalled = c.calls.size() < 4 ? QStringList()
                                       : c.message       ? QStringList{"Word-Dokument fehlgeschlagen: p.doc"}
                                                         : QStringList{"Word-Dokument gespeichert: " + QDir::toNativeSeparators("/Dokumente/p.doc")};
        EXPECT_EQ(rig.journal.lines, journalled) << c.failAt;
        if (c.calls.size() > 1) {
            EXPECT_TRUE(rig.word.arguments[1].endsWith("8\t\" \"\t\"\"\"x\"\"\"\t\t\t\r\n")) << "a loaded blank is quoted";
        }
    }
    ExportsRig rig;
    rig.clock.now = QDateTime(QDate(2026, 12, 6), QTime(21, 3));
    rig.exports->sbWordClick();
    EXPECT_EQ(rig.word.arguments.value(3), "2026-12-06-21-03.doc");
}

TEST(ProtocolExports, SpreadsheetGetsHeaderInRowOneShortCommasAsPointsAndRunTimesAsTimes)
{
    ExportsRig rig;
    rig.rows.push_back({"12", "9:10.00,00", "9:10.59,99", "59,99", "105,3", "2"});
    rig.exports->sbExcelClick();
    EXPECT_EQ(rig.sheet.calls, QStringList({"Connect", "NewWorkbook Zeitenprotokoll Ravolt", "AutoFitColumns", "ShowWorkbook"}));
    EXPECT_EQ(rig.sheet.cells.mid(0, 6), QStringList({"1,1=Nr.", "1,2=Start", "1,3=Stopp", "1,4=Zeit", "1,5=km/h", "1,6=Platz"}));
    EXPECT_EQ(rig.sheet.cells.mid(6, 6), QStringList({"2,1=7", "2,2=9:05.03,27", "2,3=9:06.08,39", "2,4=65120 ms (1.05,12)", "2,5=55.3", "2,6=1"}));
    EXPECT_EQ(rig.sheet.cells.mid(12), QStringList({"3,1=12", "3,2=9:10.00,00", "3,3=9:10.59,99", "3,4=59990 ms (59,99)", "3,5=105,3", "3,6=2"}));
    rig.sheet.cells.clear();
    rig.rows = {kHeader, {"3", "9:00.00,00", "-", "-", "-", ""}, {"4", " ", " ", " ", " ", " "}};
    rig.exports->sbExcelClick();
    EXPECT_EQ(rig.sheet.cells.mid(6), QStringList({"2,1=3", "2,2=9:00.00,00", "2,3=-", "2,4=-", "2,5=-", "2,6=", "3,1=4",
                                                    "3,2= ", "3,3= ", "3,4= ", "3,5= ", "3,6= "}))
        << "what is no run time stays text";

    ExportsRig offline;
    offline.sheet.available = false;
    offline.exports->sbExcelClick();
    EXPECT_EQ(offline.sheet.calls, QStringList{"Connect"});
    EXPECT_TRUE(offline.sheet.cells.isEmpty());
}

// A ten-row protocol with umlauts in the title and a cell, through the
// real page, document and workbook writers.
TEST(ProtocolExports, UmlautsReachAllThreeFiles)
{
    QTemporaryDir dir;
    RecordingDesktopShell shell;
    RtfWordProcessor word(shell, dir.path());
    XlsxSpreadsheet sheet(shell, dir.filePath("tmp"));
    ProtocolRows rows = {kHeader};
    for (int i = 1; i <= 10; ++i)
        rows.push_back({QString::number(i), "9:05.03,27", "9:06.08,39", "1.05,12", "55,3", QString::number(i)});
    rows[10][0] = QStringLiteral("Jürgen");
    QStringList messages;
    ProtocolExportParts parts{[&] { return rows; }, nullptr, QStringLiteral("Rennen Öhringen"), dir.filePath("p.html"),
                              RAVOLT_RESOURCES "/Protokollvorlage.doc", &shell, &word, &sheet,
                              [&](const QString& m) { messages.append(m); }, [&](const QString& m) { messages.append(m); }};
    QWidget window;
    ProtocolExports exports(parts, &window);
    ASSERT_TRUE(exports.WriteHtmlPage(dir.filePath("p.html")));
    exports.ExportToWord(ProtocolExports::WordMode::SaveAndClose, "p.doc");
    exports.sbExcelClick();
    EXPECT_TRUE(messages.isEmpty());

    QFile page(dir.filePath("p.html"));
    ASSERT_TRUE(page.open(QIODevice::ReadOnly));
    const QByteArray html = page.readAll();
    EXPECT_TRUE(html.contains("<TITLE>Zeitenprotokoll Rennen \xd6hringen</TITLE>"));
    EXPECT_TRUE(html.contains("<tr><td>J\xfcrgen<td>"));

    QFile doc(dir.filePath("p.doc"));
    ASSERT_TRUE(doc.open(QIODevice::ReadOnly));
    const RtfContent rtf = ReadRtf(doc.readAll());
    ASSERT_EQ(rtf.rows.size(), 11);
    EXPECT_EQ(rtf.rows[10], QStringList({QStringLiteral("Jürgen"), "9:05.03,27", "9:06.08,39", "1.05,12", "55,3", "10"}));
    EXPECT_TRUE(rtf.paragraphs.contains(QStringLiteral("Rennen Öhringen")));

    const XlsxSheet book = ReadXlsx(sheet.WorkbookFile());
    EXPECT_EQ(book.title, QStringLiteral("Zeitenprotokoll Rennen Öhringen"));
    EXPECT_EQ(book.cells.value("A11"), (XlsxCell{false, QStringLiteral("Jürgen")}));
    EXPECT_EQ(book.cells.value("A10"), (XlsxCell{true, "9"}));
    EXPECT_TRUE(book.cells.value("D2").number) << "a run time sorts and sums";
    EXPECT_DOUBLE_EQ(book.cells.value("D2").value.toDouble(), 65120 / 86400000.0);
    EXPECT_EQ(book.formats.value("D2"), "[m]\".\"ss.00");
    EXPECT_EQ(book.cells.value("E2"), (XlsxCell{true, "55.3"}));
    EXPECT_EQ(shell.calls.size(), 1) << "only the workbook is opened";
}
