#include "EntryImport.h"
#include "QtPrinters.h"

#include <QDir>
#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <zip.h>

#include <utility>

namespace {

using Status = EntryImportResult::Status;

QString DataFile(const char* name)
{
    return QStringLiteral(RAVOLT_RESULTS_DATA "/") + QString::fromUtf8(name);
}

// An entry as one line, so that a whole list compares at once.
QStringList Lines(const QList<Entry>& entries)
{
    QStringList lines;
    for (const Entry& e : entries)
        lines << QStringList{QString::number(e.order), QString::number(e.number), e.name, e.firstName, e.car,
                             e.className, e.club, e.team}
                     .join(u'|');
    return lines;
}

QStringList Utf8Lines(std::initializer_list<const char*> lines)
{
    QStringList list;
    for (const char* line : lines)
        list << QString::fromUtf8(line);
    return list;
}

class Files
{
public:
    QString Write(const QByteArray& bytes, const char* name = "liste.csv")
    {
        const QString path = dir_.filePath(QString::fromUtf8(name));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
        return path;
    }

    // A workbook built part by part, to reach what a spreadsheet program
    // writes only sometimes.
    QString WriteZip(const QList<std::pair<const char*, QByteArray>>& parts)
    {
        const QString path = dir_.filePath(QStringLiteral("mappe.xlsx"));
        QFile::remove(path);
        zipFile zip = zipOpen64(QFile::encodeName(path).constData(), APPEND_STATUS_CREATE);
        EXPECT_NE(zip, nullptr);
        for (const auto& [name, bytes] : parts) {
            zipOpenNewFileInZip64(zip, name, nullptr, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED, 1, 1);
            zipWriteInFileInZip(zip, bytes.constData(), unsigned(bytes.size()));
            zipCloseFileInZip(zip);
        }
        zipClose(zip, nullptr);
        return path;
    }

private:
    QTemporaryDir dir_;
};

const QByteArray kWorkbook = R"(<workbook xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships">
<sheets><sheet name="Liste" sheetId="1" r:id="rId7"/></sheets></workbook>)";
const QByteArray kRelations = R"(<Relationships>
<Relationship Id="rId7" Type=".../worksheet" Target="/xl/worksheets/blatt.xml"/>
<Relationship Id="rId8" Type=".../sharedStrings" Target="texte.xml"/></Relationships>)";

QByteArray Sheet(const QByteArray& rows)
{
    return "<worksheet><sheetData>" + rows + "</sheetData></worksheet>";
}

TEST(EntryImport, ReadsTheFilesClubsHave)
{
    const struct
    {
        const char* file;
        QStringList entries;
    } cases[] = {
        // Windows-1252, CR LF, a blank line, doubled quotes, a separator
        // and a line break inside quotes, a character only 1252 has.
        {"starter-1252.csv",
         Utf8Lines({"1|7|Müller|Jörg|VW Golf|G1|MSC Süd|Team Öl", "2|12|Weiß|Björn|Opel \"Kadett\" C|G2|AC Straße; Nord|",
                    "3|3|Öztürk|Ülkü|BMW 320i|G1||", "4|104|Groß|Änne|Škoda|F5|MSC Süd|Team Öl"})},
        {"starter-utf8-bom.csv",
         Utf8Lines({"1|1|Łukasz|Zoë|Fiat 500|A1|Motorsport Club|", "2|2|Müller|Jörg|Mini|A1|Motorsport Club|Die Schnellen"})},
        // TAB: commas and semicolons inside fields are plain text.
        {"starter-tab.txt", Utf8Lines({"1|21|Smith|Anna|Ford Ka, 1.3|B|Racing; Club|", "2|22|Jones|Ben|Seat Ibiza|B||"})},
        {"starter-libreoffice.xlsx",
         Utf8Lines({"1|7|Müller|Jörg|VW Golf|G1|MSC Süd|Team Öl", "2|12|Weiß||Opel Kadett|G2|AC Straße|",
                    "3|104|Groß|Änne|Škoda|F5||Team Öl"})},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const EntryImportResult result = ImportEntries(DataFile(c.file));
        EXPECT_EQ(result.error, QString());
        ASSERT_EQ(result.status, Status::Imported);
        EXPECT_EQ(Lines(result.entries), c.entries);
    }
}

TEST(EntryImport, RefusesAFaultyFileWholeWithTheLine)
{
    const struct
    {
        const char* file;
        const char* message;
    } cases[] = {
        {"duplicate.csv", "Zeile 5: Die Startnummer 5 steht schon in Zeile 2."},
        {"empty-class.csv", "Zeile 3: Die Klasse fehlt (Startnummer 6)."},
        {"broken.xlsx", "Die Datei ist keine xlsx-Arbeitsmappe (kein gültiges Zip-Archiv)."},
        {"fehlt.csv", "Die Datei „" RAVOLT_RESULTS_DATA "/fehlt.csv“ gibt es nicht."},
        {"", "„" RAVOLT_RESULTS_DATA "/“ ist ein Ordner, keine Datei."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const EntryImportResult result = ImportEntries(DataFile(c.file));
        EXPECT_EQ(result.status, Status::Failed);
        EXPECT_EQ(result.error, QString::fromUtf8(c.message));
        EXPECT_TRUE(result.entries.isEmpty());
    }
}

TEST(EntryImport, UnknownHeadersAskForAMappingWhichThenApplies)
{
    const EntryImportResult result = ImportEntries(DataFile("unmatched.csv"));
    ASSERT_EQ(result.status, Status::NeedsMapping);
    EXPECT_EQ(result.table.rows.at(result.mapping.headerRow).cells,
              QStringList({"Startplatz", "Fahrer Name", "Gruppe", "Bemerkung"}));
    EXPECT_EQ(result.table.rows.size(), 3);

    ColumnMapping mapping = result.mapping;
    QList<Entry> entries;
    QString error;
    mapping[EntryField::Number] = 0;
    mapping[EntryField::Name] = 1;
    EXPECT_FALSE(ApplyColumnMapping(result.table, mapping, &entries, &error));
    EXPECT_EQ(error, QStringLiteral("Keine Spalte für Klasse zugeordnet."));
    mapping[EntryField::ClassName] = 1;
    EXPECT_FALSE(ApplyColumnMapping(result.table, mapping, &entries, &error));
    EXPECT_EQ(error, QStringLiteral("„Name“ und „Klasse“ sind derselben Spalte zugeordnet."));
    mapping[EntryField::ClassName] = 2;
    ASSERT_TRUE(ApplyColumnMapping(result.table, mapping, &entries, &error)) << error.toStdString();
    EXPECT_EQ(Lines(entries), QStringList({"1|1|Abel|||A||", "2|2|Bauer|||B||"}));
}

TEST(EntryImport, CsvEdgeCases)
{
    const struct
    {
        const char* what;
        QByteArray bytes;
        QStringList entries;
        const char* error;
    } cases[] = {
        {"title line above the header, English names, 12.0 as a number",
         "Starterliste Slalom 2026\nNo.;Surname;Class\n12,0;Abel;A\n 9 ;Bauer;B\n", {"1|12|Abel|||A||", "2|9|Bauer|||B||"}, ""},
        {"comma when nothing else separates", "Nr,Name,Klasse\r\n1,\"Abel, Anna\",A\r\n", {"1|1|Abel, Anna|||A||"}, ""},
        {"comma inside a field without quotes", "Nr,Name,Klasse\n1,Abel,A\n2,Bauer, Ben,B\n", {},
         "Zeile 3 hat 4 Spalten, Zeile 1 aber 3: Steht in einem Eintrag ein Komma? Bitte die Liste mit Semikolon als "
         "Trennzeichen speichern."},
        {"old Mac line ends", "Nr;Name;Klasse\r1;Abel;A\r", {"1|1|Abel|||A||"}, ""},
        {"UTF-16 with byte-order mark (Unicode text)",
         QByteArray("\xFF\xFE", 2) + QStringEncoder(QStringConverter::Utf16LE)(QStringLiteral("Nr\tName\tKl\n7\tü\tA")),
         Utf8Lines({"1|7|ü|||A||"}), ""},
        {"number 0", "Nr;Name;Klasse\n0;Abel;A\n", {}, "Zeile 2: Die Startnummer „0“ ist keine Zahl von 1 bis 9999."},
        {"number 10000", "Nr;Name;Klasse\n10000;Abel;A\n", {}, "Zeile 2: Die Startnummer „10000“ ist keine Zahl von 1 bis 9999."},
        {"number 12a", "Nr;Name;Klasse\n12a;Abel;A\n", {}, "Zeile 2: Die Startnummer „12a“ ist keine Zahl von 1 bis 9999."},
        {"number 1.5", "Nr;Name;Klasse\n1.5;Abel;A\n", {}, "Zeile 2: Die Startnummer „1.5“ ist keine Zahl von 1 bis 9999."},
        {"no number", "Nr;Name;Klasse\n;Abel;A\n", {}, "Zeile 2: Die Startnummer fehlt."},
        {"line counted as a spreadsheet shows it: a quoted line break stays in its row",
         "Nr;Name;Klasse\n1;\"Abel\nAnna\";A\n1;Bauer;A\n", {}, "Zeile 3: Die Startnummer 1 steht schon in Zeile 2."},
        {"open quote", "Nr;Name;Klasse\n1;\"Abel;A\n2;Bauer;A\n", {}, "Zeile 2: Ein Anführungszeichen wird nicht geschlossen."},
        {"empty columns far to the right", "Nr;Name;Klasse" + QByteArray(100, ';') + "\n1;Abel;A" + QByteArray(100, ';'),
         {"1|1|Abel|||A||"}, ""},
        {"text far to the right", "Nr;Name;Klasse\n1;Abel;A" + QByteArray(100, ';') + "x\n", {},
         "Zeile 2 hat mehr als 64 Spalten; das ist keine Starterliste."},
        {"header only", "Nr;Name;Klasse\r\n\r\n", {}, "Die Datei enthält unter der Kopfzeile keine Starter."},
        {"empty file", "", {}, "Die Datei ist leer."},
        {"binary", QByteArray("Nr;Name\0\0\x01", 10), {}, "Die Datei ist weder eine CSV-Textdatei noch eine xlsx-Arbeitsmappe."},
        {"old binary workbook", "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", {},
         "Die Datei ist im alten Excel-Format (.xls) oder verschlüsselt. Bitte in der Tabellenkalkulation als xlsx oder "
         "CSV speichern."},
    };
    Files files;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const EntryImportResult result = ImportEntries(files.Write(c.bytes));
        EXPECT_EQ(result.error, QString::fromUtf8(c.error));
        EXPECT_EQ(Lines(result.entries), c.entries);
    }
}

TEST(EntryImport, XlsxEdgeCases)
{
    const QByteArray strings = "<sst><si><t>Nr.</t></si><si><r><t>Na</t></r><r><rPr><b/></rPr><t>me</t></r>"
                               "<rPh><t>ナ</t></rPh></si><si><t>Klasse</t></si><si><t xml:space=\"preserve\"> G1 </t></si></sst>";
    const QByteArray goodRows = "<row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c><c r=\"B1\" t=\"s\"><v>1</v></c>"
                                "<c r=\"D1\" t=\"s\"><v>2</v></c></row>"
                                "<row r=\"3\"><c r=\"A3\"><v>12.0</v></c><c r=\"B3\" t=\"inlineStr\"><is><t>Weiß</t></is></c>"
                                "<c r=\"D3\" t=\"s\"><v>3</v></c></row>"
                                "<row r=\"4\"><c r=\"A4\" t=\"n\"><v>1.3E1</v></c><c r=\"B4\" t=\"str\"><v>Abel</v></c><c r=\"D4\"/></row>";
    const struct
    {
        const char* what;
        QList<std::pair<const char*, QByteArray>> parts;
        QStringList entries;
        const char* error;
    } cases[] = {
        {"rich text, inline strings, skipped cells, numbers",
         {{"xl/workbook.xml", kWorkbook}, {"xl/_rels/workbook.xml.rels", kRelations}, {"xl/texte.xml", strings},
          {"xl/worksheets/blatt.xml", Sheet(goodRows)}},
         Utf8Lines({"1|12|Weiß|||G1||"}), "Zeile 4: Die Klasse fehlt (Startnummer 13)."},
        {"no sheet", {{"xl/workbook.xml", "<workbook><sheets/></workbook>"}}, {},
         "Die xlsx-Datei enthält kein Tabellenblatt."},
        {"not a workbook", {{"word/document.xml", "<x/>"}}, {},
         "Die xlsx-Datei ist beschädigt oder keine Excel-Arbeitsmappe (xl/workbook.xml fehlt)."},
        {"an OpenDocument sheet", {{"content.xml", "<x/>"}}, {},
         "Die Datei ist eine OpenDocument-Tabelle (.ods). Bitte in der Tabellenkalkulation als xlsx oder CSV speichern."},
        {"shared string missing",
         {{"xl/workbook.xml", kWorkbook}, {"xl/_rels/workbook.xml.rels", kRelations}, {"xl/texte.xml", "<sst/>"},
          {"xl/worksheets/blatt.xml", Sheet(goodRows)}},
         {}, "Die xlsx-Datei ist beschädigt oder keine Excel-Arbeitsmappe (Text Nr. 0 fehlt)."},
        {"XML cut off",
         {{"xl/workbook.xml", kWorkbook}, {"xl/_rels/workbook.xml.rels", kRelations}, {"xl/texte.xml", strings},
          {"xl/worksheets/blatt.xml", Sheet(goodRows).chopped(30)}},
         {}, "Die xlsx-Datei ist beschädigt oder keine Excel-Arbeitsmappe (XML-Fehler in xl/worksheets/blatt.xml)."},
        {"bad cell reference",
         {{"xl/workbook.xml", kWorkbook}, {"xl/_rels/workbook.xml.rels", kRelations}, {"xl/texte.xml", strings},
          {"xl/worksheets/blatt.xml", Sheet("<row><c r=\"1A\"><v>1</v></c></row>")}},
         {}, "Die xlsx-Datei ist beschädigt oder keine Excel-Arbeitsmappe (Zellbezug „1A“)."},
        {"a sheet that inflates beyond any entry list",
         {{"xl/workbook.xml", kWorkbook}, {"xl/_rels/workbook.xml.rels", kRelations}, {"xl/texte.xml", strings},
          {"xl/worksheets/blatt.xml", QByteArray(65 * 1024 * 1024, ' ')}},
         {}, "Die xlsx-Datei ist ausgepackt zu groß für eine Starterliste (xl/worksheets/blatt.xml über 64 MB)."},
    };
    Files files;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const EntryImportResult result = ImportEntries(files.WriteZip(c.parts));
        EXPECT_EQ(result.error, QString::fromUtf8(c.error));
        EXPECT_EQ(result.status, Status::Failed);
    }
    // The first case fails only on its last row; with a class there it imports.
    EntryTable table;
    QString error;
    ASSERT_TRUE(ReadEntryTable(files.WriteZip(cases[0].parts), &table, &error));
    ASSERT_EQ(table.rows.last().cells, QStringList({"13", "Abel"})); // the empty D4 is no cell
    table.rows.last().cells << QString() << QStringLiteral("G2");
    QList<Entry> entries;
    ASSERT_TRUE(ApplyColumnMapping(table, GuessColumnMapping(table), &entries, &error)) << error.toStdString();
    EXPECT_EQ(Lines(entries), Utf8Lines({"1|12|Weiß|||G1||", "2|13|Abel|||G2||"}));
    EXPECT_EQ(table.rows.last().line, 4);
}

TEST(EntryImport, RefusesMoreRowsThanAnyEntryList)
{
    QByteArray csv = "Nr;Name;Klasse\n";
    for (int i = 0; i < kEntryTableMaxRows; ++i)
        csv += "1;A;B\n";
    Files files;
    const EntryImportResult result = ImportEntries(files.Write(csv));
    EXPECT_EQ(result.error, QStringLiteral("Die Datei hat mehr als 20000 Zeilen; das ist keine Starterliste."));
}

} // namespace
