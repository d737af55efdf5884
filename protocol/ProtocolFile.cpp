#include "ProtocolFile.h"

#include "TextCodec.h"

#include <QFile>

#include <algorithm>

namespace {

// Old editors end a text with this mark; nothing after it is text.
constexpr char kEndOfFile = 0x1A;
constexpr qint64 kReadChunk = 64 * 1024;

// Fields go into the row from the left. Only a separator at the very start
// gives an empty field (stored as a blank); runs of separators count as
// one, and fields beyond the row are dropped.
ProtocolRow ParseLine(QStringView line)
{
    ProtocolRow row;
    const QChar separator = line.contains(u'\t') ? u'\t' : u';';
    std::size_t col = 0;
    qsizetype pos = 0;
    if (line.startsWith(separator))
        row[col++] = QStringLiteral(" ");
    while (col < row.size()) {
        while (pos < line.size() && line[pos] == separator)
            ++pos;
        if (pos == line.size())
            break;
        qsizetype end = line.indexOf(separator, pos);
        if (end < 0)
            end = line.size();
        row[col++] = line.mid(pos, end - pos).toString();
        pos = end;
    }
    return row;
}

// A CR belongs to the line end only right before the LF; a lone CR is text.
ProtocolRows ParseLines(QStringView text)
{
    ProtocolRows rows;
    qsizetype pos = 0;
    while (pos < text.size()) {
        qsizetype end = text.indexOf(u'\n', pos);
        const bool ended = end >= 0;
        if (!ended)
            end = text.size();
        QStringView line = text.mid(pos, end - pos);
        if (ended && line.endsWith(u'\r'))
            line.chop(1);
        pos = end + 1;
        // Header lines are dropped wherever they stand.
        if (!line.contains(u"Nr."))
            rows.push_back(ParseLine(line));
    }
    return rows;
}

} // namespace

QByteArray ProtocolTextBytes(const ProtocolRows& rows)
{
    QString text;
    text.reserve(static_cast<qsizetype>(rows.size()) * 48);
    for (const ProtocolRow& row : rows) {
        if (row[0].isEmpty())
            continue;
        for (const QString& cell : row) {
            if (cell.isEmpty())
                text += u' ';
            else
                text += cell;
            text += u'\t';
        }
        text += u"\r\n";
    }
    return EncodeWindows1252(text);
}

bool SaveProtocolText(const QString& path, const ProtocolRows& rows, QString* error)
{
    return WriteFileAtomically(path, ProtocolTextBytes(rows), error);
}

LoadedProtocol ParseProtocolText(const QByteArray& bytes)
{
    const qsizetype end = bytes.indexOf(kEndOfFile);
    LoadedProtocol loaded;
    loaded.rows = ParseLines(DecodeWindows1252(end < 0 ? bytes : bytes.left(end)));
    loaded.opened = true;
    loaded.complete = true;
    return loaded;
}

LoadedProtocol ReadProtocolText(QIODevice& device)
{
    QByteArray bytes;
    bool failed = false;
    for (;;) {
        const qsizetype before = bytes.size();
        bytes.resize(before + kReadChunk);
        const qint64 got = device.read(bytes.data() + before, kReadChunk);
        bytes.resize(before + std::max<qint64>(got, 0));
        if (got <= 0) {
            failed = got < 0;
            break;
        }
        if (QByteArrayView(bytes).sliced(before).contains(kEndOfFile))
            break;
    }
    if (!failed)
        return ParseProtocolText(bytes);
    // Only whole lines count as read.
    bytes.truncate(bytes.lastIndexOf('\n') + 1);
    LoadedProtocol loaded = ParseProtocolText(bytes);
    loaded.complete = false;
    return loaded;
}

LoadedProtocol LoadProtocolText(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return ReadProtocolText(file);
}

QString TimeStampName(const QDateTime& now)
{
    return now.toString(QStringLiteral("yyyy-MM-dd-HH-mm"));
}
