#include "XlsxTable.h"

#include <QFile>
#include <QXmlStreamReader>

#include <unzip.h>

#include <cmath>
#include <memory>

namespace {

// No part of an entry list's workbook comes near this once inflated; a
// bigger one is a zip bomb or not an entry list.
constexpr qint64 kMaxPartBytes = 64 * 1024 * 1024;
constexpr int kMaxSharedStrings = 1000000;

const QString kBroken = QStringLiteral("Die xlsx-Datei ist beschädigt oder keine Excel-Arbeitsmappe (%1).");

QString XmlFault(const QString& part)
{
    return kBroken.arg(QStringLiteral("XML-Fehler in %1").arg(part));
}

struct ZipCloser
{
    void operator()(void* zip) const { unzClose(zip); }
};
using Zip = std::unique_ptr<void, ZipCloser>;

// Inflates one part, never more than kMaxPartBytes whatever its header says.
bool ReadPart(unzFile zip, const QString& name, QByteArray* bytes, QString* error)
{
    if (unzLocateFile(zip, name.toUtf8().constData(), 2) != UNZ_OK) {
        *error = kBroken.arg(QStringLiteral("%1 fehlt").arg(name));
        return false;
    }
    unz_file_info64 info{};
    if (unzGetCurrentFileInfo64(zip, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK
        || unzOpenCurrentFile(zip) != UNZ_OK) {
        *error = kBroken.arg(name);
        return false;
    }
    const QString tooBig = QStringLiteral("Die xlsx-Datei ist ausgepackt zu groß für eine Starterliste (%1 über %2 MB).")
                               .arg(name).arg(kMaxPartBytes / (1024 * 1024));
    if (info.uncompressed_size > quint64(kMaxPartBytes)) {
        unzCloseCurrentFile(zip);
        *error = tooBig;
        return false;
    }
    bytes->clear();
    char chunk[64 * 1024];
    int got = 0;
    while ((got = unzReadCurrentFile(zip, chunk, sizeof chunk)) > 0) {
        if (bytes->size() + got > kMaxPartBytes) {
            unzCloseCurrentFile(zip);
            *error = tooBig;
            return false;
        }
        bytes->append(chunk, got);
    }
    const int closed = unzCloseCurrentFile(zip); // checks the CRC
    if (got < 0 || closed != UNZ_OK) {
        *error = kBroken.arg(name);
        return false;
    }
    return true;
}

// "worksheets/sheet1.xml" relative to xl/, or "/xl/worksheets/sheet1.xml".
QString PartPath(const QString& target)
{
    return target.startsWith(u'/') ? target.mid(1) : QStringLiteral("xl/") + target;
}

// The first sheet's id in the workbook, then its part from the relations;
// the relations also name the shared strings.
bool FindParts(unzFile zip, QString* sheet, QString* sharedStrings, QString* error)
{
    const QString workbook = QStringLiteral("xl/workbook.xml");
    if (unzLocateFile(zip, workbook.toUtf8().constData(), 2) != UNZ_OK
        && unzLocateFile(zip, "content.xml", 2) == UNZ_OK) {
        *error = QStringLiteral("Die Datei ist eine OpenDocument-Tabelle (.ods). "
                                "Bitte in der Tabellenkalkulation als xlsx oder CSV speichern.");
        return false;
    }
    QByteArray bytes;
    if (!ReadPart(zip, workbook, &bytes, error))
        return false;
    QString sheetId;
    QXmlStreamReader xml(bytes);
    while (!xml.atEnd() && sheetId.isEmpty())
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == u"sheet")
            for (const QXmlStreamAttribute& a : xml.attributes())
                if (a.name() == u"id")
                    sheetId = a.value().toString();
    if (sheetId.isEmpty() && xml.hasError()) {
        *error = XmlFault(QStringLiteral("xl/workbook.xml"));
        return false;
    }
    if (sheetId.isEmpty()) {
        *error = QStringLiteral("Die xlsx-Datei enthält kein Tabellenblatt.");
        return false;
    }
    if (!ReadPart(zip, QStringLiteral("xl/_rels/workbook.xml.rels"), &bytes, error))
        return false;
    for (QXmlStreamReader xml(bytes); !xml.atEnd();) {
        if (xml.readNext() != QXmlStreamReader::StartElement || xml.name() != u"Relationship")
            continue;
        const QXmlStreamAttributes a = xml.attributes();
        if (a.value(QLatin1String("Id")) == sheetId)
            *sheet = PartPath(a.value(QLatin1String("Target")).toString());
        else if (a.value(QLatin1String("Type")).endsWith(u"/sharedStrings"))
            *sharedStrings = PartPath(a.value(QLatin1String("Target")).toString());
    }
    if (sheet->isEmpty()) {
        *error = QStringLiteral("Die xlsx-Datei enthält kein Tabellenblatt.");
        return false;
    }
    return true;
}

// The text of an <si> or <is>: its <t>, or its rich text runs' <t> joined;
// phonetic hints (<rPh>) are not part of the text.
QString ReadStringItem(QXmlStreamReader& xml)
{
    QString text;
    const QString end = xml.name().toString();
    int phonetic = 0;
    while (!xml.atEnd()) {
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::StartElement && xml.name() == u"rPh")
            ++phonetic;
        else if (token == QXmlStreamReader::EndElement && xml.name() == u"rPh")
            --phonetic;
        else if (token == QXmlStreamReader::StartElement && xml.name() == u"t" && phonetic == 0)
            text += xml.readElementText(QXmlStreamReader::IncludeChildElements);
        else if (token == QXmlStreamReader::EndElement && xml.name() == end)
            break;
    }
    return text;
}

bool ReadSharedStrings(const QByteArray& bytes, const QString& part, QStringList* strings, QString* error)
{
    QXmlStreamReader xml(bytes);
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement || xml.name() != u"si")
            continue;
        if (strings->size() == kMaxSharedStrings) {
            *error = QStringLiteral("Die xlsx-Datei enthält mehr als %1 Texte; das ist keine Starterliste.")
                         .arg(kMaxSharedStrings);
            return false;
        }
        strings->append(ReadStringItem(xml));
    }
    if (xml.hasError()) {
        *error = XmlFault(part);
        return false;
    }
    return true;
}

// "12" and "12.0" are the start number 12; other numbers as written.
QString NumberText(const QString& value)
{
    bool ok = false;
    const double number = value.toDouble(&ok);
    if (ok && std::isfinite(number) && number == std::floor(number) && std::fabs(number) < 1e15)
        return QString::number(qint64(number));
    return value;
}

// "AB12" → column 27 (0-based), row 12; false for anything else.
bool ParseReference(QStringView ref, int* column, int* row)
{
    int i = 0, c = 0;
    while (i < ref.size() && ref[i] >= u'A' && ref[i] <= u'Z' && i < 3)
        c = c * 26 + (ref[i++].unicode() - u'A' + 1);
    if (i == 0 || i == ref.size() || !ref[i].isDigit())
        return false;
    bool ok = false;
    const int r = ref.mid(i).toInt(&ok);
    if (!ok || r < 1)
        return false;
    *column = c - 1;
    *row = r;
    return true;
}

class SheetReader
{
public:
    SheetReader(const QByteArray& bytes, const QString& part, const QStringList& shared)
        : xml_(bytes), part_(part), shared_(shared)
    {
    }

    bool Run(EntryTable* table, QString* error)
    {
        int line = 0;
        while (!xml_.atEnd()) {
            if (xml_.readNext() != QXmlStreamReader::StartElement || xml_.name() != u"row")
                continue;
            bool ok = false;
            const int r = xml_.attributes().value(QLatin1String("r")).toInt(&ok);
            line = ok && r > line ? r : line + 1;
            QStringList cells;
            if (!ReadRow(&cells, error))
                return false;
            if (cells.isEmpty())
                continue;
            if (table->rows.size() == kEntryTableMaxRows) {
                *error = QStringLiteral("Die Datei hat mehr als %1 Zeilen; das ist keine Starterliste.")
                             .arg(kEntryTableMaxRows);
                return false;
            }
            table->rows.append({line, cells});
        }
        if (xml_.hasError()) {
            *error = XmlFault(part_);
            return false;
        }
        return true;
    }

private:
    // The row's cells up to its last non-empty one; cells far to the right
    // of any entry list's columns are ignored.
    bool ReadRow(QStringList* cells, QString* error)
    {
        int column = -1;
        while (!xml_.atEnd()) {
            const auto token = xml_.readNext();
            if (token == QXmlStreamReader::EndElement && xml_.name() == u"row")
                break;
            if (token != QXmlStreamReader::StartElement || xml_.name() != u"c")
                continue;
            const QXmlStreamAttributes a = xml_.attributes();
            int row = 0;
            if (!a.hasAttribute(QLatin1String("r")))
                ++column;
            else if (!ParseReference(a.value(QLatin1String("r")), &column, &row)) {
                *error = kBroken.arg(QStringLiteral("Zellbezug „%1“").arg(a.value(QLatin1String("r"))));
                return false;
            }
            QString text;
            if (!ReadCell(a.value(QLatin1String("t")).toString(), &text, error))
                return false;
            text = text.simplified();
            if (text.isEmpty() || column >= kEntryTableMaxColumns)
                continue;
            while (cells->size() <= column)
                cells->append(QString());
            (*cells)[column] = text;
        }
        return true;
    }

    bool ReadCell(const QString& type, QString* text, QString* error)
    {
        QString value;
        while (!xml_.atEnd()) {
            const auto token = xml_.readNext();
            if (token == QXmlStreamReader::EndElement && xml_.name() == u"c")
                break;
            if (token != QXmlStreamReader::StartElement)
                continue;
            if (xml_.name() == u"v")
                value = xml_.readElementText();
            else if (xml_.name() == u"is")
                *text = ReadStringItem(xml_);
        }
        if (type == u"inlineStr")
            return true;
        if (type == u"s") {
            bool ok = false;
            const int index = value.toInt(&ok);
            if (!ok || index < 0 || index >= shared_.size()) {
                *error = kBroken.arg(QStringLiteral("Text Nr. %1 fehlt").arg(value));
                return false;
            }
            *text = shared_.at(index);
        } else if (type.isEmpty() || type == u"n") {
            *text = NumberText(value);
        } else {
            *text = value; // "str" (a formula's text), "b", "e"
        }
        return true;
    }

    QXmlStreamReader xml_;
    const QString part_;
    const QStringList& shared_;
};

} // namespace

bool ReadXlsxTable(const QString& path, EntryTable* table, QString* error)
{
    const Zip zip(unzOpen64(QFile::encodeName(path).constData()));
    if (!zip) {
        *error = QStringLiteral("Die Datei ist keine xlsx-Arbeitsmappe (kein gültiges Zip-Archiv).");
        return false;
    }
    QString sheetPath, sharedPath;
    if (!FindParts(zip.get(), &sheetPath, &sharedPath, error))
        return false;
    QByteArray bytes;
    QStringList shared;
    if (!sharedPath.isEmpty()
        && (!ReadPart(zip.get(), sharedPath, &bytes, error) || !ReadSharedStrings(bytes, sharedPath, &shared, error)))
        return false;
    if (!ReadPart(zip.get(), sheetPath, &bytes, error))
        return false;
    table->rows.clear();
    return SheetReader(bytes, sheetPath, shared).Run(table, error);
}
