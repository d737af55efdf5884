#pragma once

#include <QByteArray>
#include <QMap>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QXmlStreamReader>

// Reads exported files back the way the programs that open them would, so
// tests check what an operator sees, not how the bytes were made.

// The tables and plain paragraphs of an RTF document.
struct RtfContent
{
    QList<QStringList> rows;
    QStringList paragraphs;
};

inline RtfContent ReadRtf(const QByteArray& rtf)
{
    RtfContent content;
    QStringList cells;
    QString text;
    int skipDepth = 0; // inside a group that holds no text (font table, info)
    int depth = 0;
    for (qsizetype i = 0; i < rtf.size(); ++i) {
        const char c = rtf[i];
        if (c == '{') {
            ++depth;
            const QByteArray next = rtf.mid(i + 1, 10);
            if (!skipDepth && (next.startsWith("\\fonttbl") || next.startsWith("\\colortbl") ||
                               next.startsWith("\\info") || next.startsWith("\\*")))
                skipDepth = depth;
        } else if (c == '}') {
            if (skipDepth == depth)
                skipDepth = 0;
            --depth;
        } else if (c == '\r' || c == '\n') {
        } else if (c != '\\') {
            if (!skipDepth)
                text += QLatin1Char(c);
        } else if (i + 1 < rtf.size() && QByteArray("\\{}").contains(rtf[i + 1])) {
            if (!skipDepth)
                text += QLatin1Char(rtf[++i]);
        } else if (rtf.mid(i + 1, 1) == "'") {
            if (!skipDepth)
                text += QChar(rtf.mid(i + 2, 2).toInt(nullptr, 16));
            i += 3;
        } else {
            qsizetype j = i + 1;
            while (j < rtf.size() && std::isalpha(static_cast<unsigned char>(rtf[j])))
                ++j;
            const QByteArray word = rtf.mid(i + 1, j - i - 1);
            qsizetype k = j;
            while (k < rtf.size() && (rtf[k] == '-' || std::isdigit(static_cast<unsigned char>(rtf[k]))))
                ++k;
            const int parameter = rtf.mid(j, k - j).toInt();
            if (k < rtf.size() && rtf[k] == ' ')
                ++k;
            i = k - 1;
            if (skipDepth)
                continue;
            if (word == "cell") {
                cells.append(text);
                text.clear();
            } else if (word == "row") {
                content.rows.append(cells);
                cells.clear();
            } else if (word == "par") {
                content.paragraphs.append(text);
                text.clear();
            } else if (word == "tab") {
                text += u'\t';
            } else if (word == "line") {
                text += u'\n';
            } else if (word == "u") {
                text += QChar(static_cast<char16_t>(parameter));
                ++i; // the replacement character for old readers
            }
        }
    }
    return content;
}

// One cell of a workbook as the spreadsheet shows it: a number or a text.
struct XlsxCell
{
    bool number = false;
    QString value;
    bool operator==(const XlsxCell&) const = default;
};

inline QByteArray UnzipEntry(const QString& zip, const QString& entry)
{
    QProcess unzip;
    unzip.start(QStringLiteral("unzip"), {QStringLiteral("-p"), zip, entry});
    unzip.waitForFinished(30000);
    return unzip.readAllStandardOutput();
}

struct XlsxSheet
{
    QMap<QString, XlsxCell> cells; // by reference, "A1"
    QMap<int, double> widths;      // by 1-based column
    QMap<QString, QString> formats; // number format code of a cell that has one
    QString title;                 // the workbook's title property
};

// The number format code of each cell style, by style index.
inline QStringList ReadXlsxStyleFormats(const QString& path)
{
    QMap<int, QString> codes;
    QStringList styles;
    bool inCellXfs = false;
    QXmlStreamReader xml(UnzipEntry(path, QStringLiteral("xl/styles.xml")));
    while (!xml.atEnd()) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        if (token == QXmlStreamReader::EndElement && xml.name() == u"cellXfs")
            inCellXfs = false;
        if (token != QXmlStreamReader::StartElement)
            continue;
        const QXmlStreamAttributes a = xml.attributes();
        if (xml.name() == u"numFmt")
            codes[a.value(QStringLiteral("numFmtId")).toInt()] = a.value(QStringLiteral("formatCode")).toString();
        else if (xml.name() == u"cellXfs")
            inCellXfs = true;
        else if (inCellXfs && xml.name() == u"xf")
            styles.append(codes.value(a.value(QStringLiteral("numFmtId")).toInt()));
    }
    return styles;
}

inline XlsxSheet ReadXlsx(const QString& path)
{
    XlsxSheet sheet;
    const QStringList styleFormats = ReadXlsxStyleFormats(path);
    QStringList shared;
    QXmlStreamReader strings(UnzipEntry(path, QStringLiteral("xl/sharedStrings.xml")));
    while (!strings.atEnd()) {
        if (strings.readNext() == QXmlStreamReader::StartElement && strings.name() == u"t")
            shared.append(strings.readElementText());
    }
    QXmlStreamReader xml(UnzipEntry(path, QStringLiteral("xl/worksheets/sheet1.xml")));
    QString ref;
    QString type;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        const QXmlStreamAttributes a = xml.attributes();
        if (xml.name() == u"col") {
            for (int c = a.value(QStringLiteral("min")).toInt(); c <= a.value(QStringLiteral("max")).toInt(); ++c)
                sheet.widths[c] = a.value(QStringLiteral("width")).toDouble();
        } else if (xml.name() == u"c") {
            ref = a.value(QStringLiteral("r")).toString();
            type = a.value(QStringLiteral("t")).toString();
            const QString format = styleFormats.value(a.value(QStringLiteral("s")).toInt());
            if (!format.isEmpty())
                sheet.formats[ref] = format;
        } else if (xml.name() == u"v") {
            const QString v = xml.readElementText();
            sheet.cells[ref] = type == u"s" ? XlsxCell{false, shared.value(v.toInt())} : XlsxCell{true, v};
        }
    }
    QXmlStreamReader core(UnzipEntry(path, QStringLiteral("docProps/core.xml")));
    while (!core.atEnd()) {
        if (core.readNext() == QXmlStreamReader::StartElement && core.name() == u"title")
            sheet.title = core.readElementText();
    }
    return sheet;
}
