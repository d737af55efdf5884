#include "RtfWordProcessor.h"

#include "DesktopShell.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {

const QByteArray kTableMark = QByteArrayLiteral("[Protokoll]");
const QByteArray kTitleMark = QByteArrayLiteral("[Titel]");

// The text width of an A4 page with 2 cm margins, in twips.
constexpr int kTableWidth = 9638;
// Shares of the six protocol columns, in percent, as on the web page.
constexpr int kProtocolShares[6] = {10, 20, 20, 20, 15, 15};

// Unescaped braces must pair up, or the word processor would drop or
// misread the rest of the document.
bool BracesBalanced(const QByteArray& rtf)
{
    int depth = 0;
    for (qsizetype i = 0; i < rtf.size(); ++i) {
        if (rtf[i] == '\\')
            ++i;
        else if (rtf[i] == '{')
            ++depth;
        else if (rtf[i] == '}' && --depth < 0)
            return false;
    }
    return depth == 0;
}

QByteArray RtfParagraphs(const QString& text)
{
    QStringList lines = text.split(QStringLiteral("\r\n"));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    QByteArrayList paragraphs;
    for (const QString& line : lines)
        paragraphs.append(RtfText(line));
    return paragraphs.join("\\par\n");
}

QByteArray CellBorders()
{
    return QByteArrayLiteral("\\clbrdrt\\brdrs\\brdrw10\\clbrdrl\\brdrs\\brdrw10"
                             "\\clbrdrb\\brdrs\\brdrw10\\clbrdrr\\brdrs\\brdrw10");
}

QByteArray RtfTable(const QList<QStringList>& rows, int columns)
{
    QByteArray rowDefinition;
    int right = 0;
    for (int c = 0; c < columns; ++c) {
        right += columns == 6 ? kTableWidth * kProtocolShares[c] / 100 : kTableWidth / columns;
        rowDefinition += CellBorders() + "\\cellx" + QByteArray::number(right) + '\n';
    }
    QByteArray table;
    for (qsizetype r = 0; r < rows.size(); ++r) {
        const bool header = r == 0;
        // The first line names the columns: bold, repeated on every page.
        table += header ? "\\trowd\\trgaph70\\trleft0\\trhdr\n" : "\\trowd\\trgaph70\\trleft0\n";
        table += rowDefinition;
        for (int c = 0; c < columns; ++c) {
            const QString cell = c < rows[r].size() ? rows[r][c] : QString();
            table += header ? "\\pard\\intbl\\ql{\\b " : "\\pard\\intbl\\qr{";
            table += RtfText(cell) + "}\\cell\n";
        }
        table += "\\row\n";
    }
    // Paragraphs after the table are no longer part of it.
    return table + "\\pard ";
}

} // namespace

QByteArray RtfText(const QString& text)
{
    QByteArray rtf;
    rtf.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c == '\\' || c == '{' || c == '}') {
            rtf += '\\';
            rtf += char(c);
        } else if (c == '\t') {
            rtf += "\\tab ";
        } else if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == u'\n')
                ++i;
            rtf += "\\line ";
        } else if (c < 0x20) {
            continue;
        } else if (c < 0x80) {
            rtf += char(c);
        } else if (c >= 0xA0 && c <= 0xFF) {
            // Latin-1 and Windows-1252 agree here: the code page escape that
            // every reader knows.
            rtf += "\\'" + QByteArray::number(c, 16).rightJustified(2, '0');
        } else {
            rtf += "\\u" + QByteArray::number(static_cast<qint16>(c)) + '?';
        }
    }
    return rtf;
}

QList<QStringList> SplitTabText(const QString& text)
{
    QList<QStringList> lines;
    QStringList fields;
    QString field;
    bool lineStarted = false;
    bool fieldStarted = false;
    bool quoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c != u'"')
                field += c;
            else if (i + 1 < text.size() && text[i + 1] == u'"')
                field += text[++i];
            else
                quoted = false;
            continue;
        }
        if (c == u'\t' || c == u'\r' || c == u'\n') {
            fields.append(field);
            field.clear();
            fieldStarted = false;
            if (c == u'\t') {
                lineStarted = true;
                continue;
            }
            if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
                ++i;
            lines.append(fields);
            fields.clear();
            lineStarted = false;
            continue;
        }
        if (c == u'"' && !fieldStarted)
            quoted = true;
        else
            field += c;
        fieldStarted = true;
        lineStarted = true;
    }
    if (lineStarted) {
        fields.append(field);
        lines.append(fields);
    }
    return lines;
}

RtfWordProcessor::RtfWordProcessor(DesktopShell& shell, QString documentsFolder)
    : shell_(shell)
    , documentsFolder_(std::move(documentsFolder))
{
}

bool RtfWordProcessor::FileOpen(const QString& templatePath, const QString& title)
{
    AppClose();
    savedPath_.clear();
    QFile file(templatePath);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray rtf = file.readAll();
    const qsizetype mark = rtf.indexOf(kTableMark);
    if (!rtf.startsWith("{\\rtf") || !BracesBalanced(rtf) || mark < 0 ||
        rtf.indexOf(kTableMark, mark + 1) >= 0)
        return false;
    // The title goes in after the split, so a title that happens to hold
    // the mark cannot move the table.
    const QByteArray titleRtf = RtfText(title);
    head_ = rtf.left(mark).replace(kTitleMark, titleRtf);
    tail_ = rtf.mid(mark + kTableMark.size()).replace(kTitleMark, titleRtf);
    open_ = true;
    return true;
}

bool RtfWordProcessor::Insert(const QString& text)
{
    if (!open_)
        return false;
    inserted_ = text;
    body_ = RtfParagraphs(text);
    return true;
}

bool RtfWordProcessor::TextToTable(int numColumns)
{
    const QList<QStringList> rows = SplitTabText(inserted_);
    if (!open_ || numColumns < 1 || rows.isEmpty())
        return false;
    body_ = RtfTable(rows, numColumns);
    return true;
}

bool RtfWordProcessor::FileSaveAs(const QString& path)
{
    if (!open_)
        return false;
    const QFileInfo target(QDir(documentsFolder_), path);
    if (!QDir().mkpath(target.absolutePath()))
        return false;
    QSaveFile file(target.absoluteFilePath());
    if (!file.open(QIODevice::WriteOnly) || file.write(head_ + body_ + tail_) < 0 || !file.commit())
        return false;
    savedPath_ = target.absoluteFilePath();
    return true;
}

bool RtfWordProcessor::ShowDocument()
{
    return !savedPath_.isEmpty() && shell_.Open(savedPath_);
}

void RtfWordProcessor::AppClose()
{
    open_ = false;
    head_.clear();
    body_.clear();
    tail_.clear();
    inserted_.clear();
}
