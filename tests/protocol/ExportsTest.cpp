#include "ExportTexts.h"
#include "HtmlPage.h"
#include "QtPrinters.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

const ProtocolRow kHeader = {"Nr.", "Start", "Stopp", "Zeit", "km/h", "Platz"};

// The lines of a page, one per CR LF.
QList<QByteArray> PageLines(const QByteArray& page)
{
    QList<QByteArray> lines = page.split('\n');
    EXPECT_EQ(lines.takeLast(), QByteArray()) << "the page ends with CR LF";
    for (QByteArray& line : lines) {
        EXPECT_TRUE(line.endsWith('\r')) << line.constData();
        line.chop(1);
    }
    return lines;
}

} // namespace

TEST(HtmlPage, TableRowsShowTheFirstCommaAsAPointAndEscapeMarkup)
{
    const struct {
        ProtocolRow row;
        QByteArray line;
    } cases[] = {
        {{"7", "9:05.03,27", "9:06.08,39", "1.05,12", "55,3", "1"},
         "<tr><td>7<td>9:05.03.27<td>9:06.08.39<td>1.05.12<td>55.3<td>1</tr>"},
        {{}, "<tr><td><td><td><td><td><td></tr>"},
        {{"9", "-", "-", "-", "-", "-"}, "<tr><td>9<td>-<td>-<td>-<td>-<td>-</tr>"},
        {{" ", "a,b,c", "<script>", "\"x\" & y", "", ""},
         "<tr><td> <td>a.b,c<td>&lt;script&gt;<td>&quot;x&quot; &amp; y<td><td></tr>"},
        {{QStringLiteral("Jürgen"), QStringLiteral("Straße"), QStringLiteral("Łódź"), "", "", ""},
         "<tr><td>J\xfcrgen<td>Stra\xdf" "e<td>&#321;\xf3" "d&#378;<td><td><td></tr>"},
    };
    for (const auto& c : cases) {
        const QList<QByteArray> lines = PageLines(HtmlPageBytes({kHeader, c.row}, "Ravolt"));
        ASSERT_EQ(lines.size(), 32);
        EXPECT_EQ(lines[29], c.line);
    }
}

TEST(HtmlPage, WholePageByteForByte)
{
    const ProtocolRows rows = {kHeader,
                               {"7", "9:05.03,27", "9:06.08,39", "1.05,12", "55,3", "1"},
                               {"8", "9:07.10,02", "", "", "", ""}};
    const QByteArray expected =
        "<HTML>\r\n"
        "<HEAD>\r\n"
        "<!--Quintaro software -->\r\n"
        "<TITLE>Zeitenprotokoll Ravolt \xd6hringen</TITLE>\r\n"
        "<META name=keywords content=\"slalom, Zeitenprotokoll, stopwatch, stopuhr, Ravolt \xd6hringen\">\r\n"
        "<META name=description content=\"Quintaro professional software development for all\">\r\n"
        "<META http-equiv=Content-Type content=\"text/html; charset=iso-8859-1\">\r\n"
        "<META name=\"Webdesign\" content=\"https://webdesign.example.org/\">\r\n"
        "</HEAD>\r\n"
        "<STYLE type=text/css>\r\n"
        " body {font-family: Arial}\r\n"
        " pre  {padding-left: 36px}\r\n"
        ".de   {line-height: 4px; width: 28px}\r\n"
        "</STYLE>\r\n"
        "<BODY bgcolor=#FFFFFF text=#000000>\r\n"
        "<DIV style=\"FILTER: Blur(direction=225, strength=6); WIDTH:100%\"><H2>&nbsp;Ravolt \xd6hringen</H2>\r\n"
        "</div>\r\n"
        "<H4>Zeitenprotokoll</H4>\r\n"
        "<table style=\"BORDER-COLLAPSE: collapse\" bgcolor=#FFFFFF borderColor=#808080 border=1 cellpadding=4 "
        "width=100%>\r\n"
        "<colgroup valign=top> <col align=right> <col align=right> <col align=right> <col align=right> "
        "<col align=right> <col align=right> <col align=right> </colgroup>\r\n"
        "<thead align=left bgcolor=#91B5FF>\r\n"
        "<tr>\r\n"
        "<th width=10%>Nr.\r\n"
        "<th width=20%>Start\r\n"
        "<th width=20%>Stopp\r\n"
        "<th width=20%>Zeit\r\n"
        "<th width=15%>km/h\r\n"
        "<th width=15%>Platz\r\n"
        "</tr></thead>\r\n"
        "<tr><td>7<td>9:05.03.27<td>9:06.08.39<td>1.05.12<td>55.3<td>1</tr>\r\n"
        "<tr><td>8<td>9:07.10.02<td><td><td><td></tr>\r\n"
        "</table>\r\n"
        "</table><P align=right><a href=\"https://www.example.org/software/\" title=\"Ravolt \xd6hringen\">"
        "<FONT color=#FF0000>Quin</FONT><FONT color=#009900>ta</FONT><FONT color=#999999>ro</FONT>"
        "<FONT color=#666600>&nbsp; Sport Software </FONT>&gt;&gt;</A></P></body></html>\r\n";
    EXPECT_EQ(HtmlPageBytes(rows, QStringLiteral("Ravolt Öhringen")), expected);
}

TEST(HtmlPage, AFailedWriteLeavesThePreviousPage)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("ravolt.html");
    ASSERT_TRUE(WriteHtmlPage(path, {kHeader}, "Ravolt"));
    const QByteArray first = [&] { QFile f(path); f.open(QIODevice::ReadOnly); return f.readAll(); }();
    QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    QString error;
    const bool rootIgnoresPermissions = QFileInfo(dir.path()).isWritable();
    if (!rootIgnoresPermissions) {
        EXPECT_FALSE(WriteHtmlPage(path, {kHeader, {"7"}}, "Ravolt", &error));
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_EQ(f.readAll(), first);
    }
    QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    EXPECT_FALSE(WriteHtmlPage(dir.filePath("no/such/folder.html"), {kHeader}, "Ravolt", &error));
    EXPECT_FALSE(error.isEmpty());
}

TEST(WordExportText, QuotesCellsWithBlanksControlsAndQuotes)
{
    const struct {
        ProtocolRow row;
        QString line;
    } cases[] = {
        {{"7", "9:05.03,27", "9:06.08,39", "1.05,12", "55,3", "1"}, "7\t9:05.03,27\t9:06.08,39\t1.05,12\t55,3\t1"},
        {{}, "\t\t\t\t\t"},
        {{" ", "a b", "say \"hi\"", "tab\there", "x\ry", "-"},
         "\" \"\t\"a b\"\t\"say \"\"hi\"\"\"\t\"tab\there\"\t\"x\ry\"\t-"},
        {{QStringLiteral("Jürgen"), "", "", "", "", ""}, QStringLiteral("Jürgen\t\t\t\t\t")},
    };
    for (const auto& c : cases)
        EXPECT_EQ(WordExportText({kHeader, c.row}), "Nr.\tStart\tStopp\tZeit\tkm/h\tPlatz\r\n" + c.line + "\r\n");
}

TEST(SpreadsheetCellText, OnlyShortTextsShowTheirCommaAsAPoint)
{
    const struct {
        QString cell;
        QString text;
    } cases[] = {
        {"55,3", "55.3"}, {"5,12", "5.12"}, {"105,3", "105,3"}, {"1.05,12", "1.05,12"},
        {"9:05.03,27", "9:05.03,27"}, {"7", "7"}, {",,", ".,"}, {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SpreadsheetCellText(c.cell), c.text) << c.cell;
}
