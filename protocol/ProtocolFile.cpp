#include "ProtocolFile.h"

#include "TextCodec.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Old editors end a text with this mark; nothing after it is text.
constexpr char kEndOfFile = 0x1A;
constexpr qint64 kReadChunk = 64 * 1024;
const QByteArray kHeaderLine = "Nr.\tStart\tStopp\tZeit\tkm/h\tPlatz\t\r\n";

// Our files hold text, TABs and line ends; anything else (NUL bytes of a
// UTF-16 file, binary data) or another first line means someone else wrote it.
bool IsForeign(QByteArrayView bytes)
{
    if (!bytes.isEmpty() && !bytes.startsWith(kHeaderLine))
        return true;
    return std::any_of(bytes.begin(), bytes.end(), [](char c) {
        const auto b = static_cast<unsigned char>(c);
        return b < 0x20 && b != '\t' && b != '\r' && b != '\n';
    });
}

void Refused(LoadedProtocol& loaded, const QString& error)
{
    loaded = {};
    loaded.error = error;
}

QString Megabytes(qint64 bytes)
{
    return QString::number((bytes + 1024 * 1024 - 1) / (1024 * 1024));
}

// Fields go into the row from the left. Only a separator at the very start
// gives an empty field (stored as a blank); runs of separators count as
// one, and fields beyond the row are dropped; a field longer than any
// protocol text is cut.
ProtocolRow ParseLine(QStringView line, int& cutFields)
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
        qsizetype length = end - pos;
        if (length > MaxProtocolFieldLength) {
            length = MaxProtocolFieldLength;
            ++cutFields;
        }
        row[col++] = line.mid(pos, length).toString();
        pos = end;
    }
    return row;
}

// A CR belongs to the line end only right before the LF; a lone CR is text.
// False when there are more lines than any protocol has.
bool ParseLines(QStringView text, ProtocolRows& rows, int& cutFields)
{
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
        if (line.contains(u"Nr."))
            continue;
        if (rows.size() >= std::size_t(MaxProtocolLines))
            return false;
        rows.push_back(ParseLine(line, cutFields));
    }
    return true;
}

// Opens without following the file into a wait: a FIFO would block the
// open, a device would read forever.
int OpenRegularFile(const QString& path, LoadedProtocol& loaded)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        Refused(loaded, error == ENOENT    ? QStringLiteral("Datei nicht vorhanden")
                        : error == ENOTDIR ? QStringLiteral("Ordner nicht vorhanden")
                        : error == EACCES  ? QStringLiteral("keine Leseberechtigung")
                        : error == EISDIR  ? QStringLiteral("ein Ordner, keine Datei")
                                           : QStringLiteral("Datei lässt sich nicht lesen"));
        // Nothing is there to lose.
        loaded.missing = error == ENOENT || error == ENOTDIR;
        return -1;
    }
    struct stat st {};
    QString refusal;
    if (::fstat(fd, &st) != 0)
        refusal = QStringLiteral("Datei lässt sich nicht lesen");
    else if (S_ISDIR(st.st_mode))
        refusal = QStringLiteral("ein Ordner, keine Datei");
    else if (!S_ISREG(st.st_mode))
        refusal = QStringLiteral("keine gewöhnliche Datei");
    else if (st.st_size > MaxProtocolFileBytes)
        refusal = QStringLiteral("Datei zu groß (%1 MB, höchstens %2 MB)")
                      .arg(Megabytes(st.st_size), Megabytes(MaxProtocolFileBytes));
    if (!refusal.isEmpty()) {
        ::close(fd);
        Refused(loaded, refusal);
        return -1;
    }
    return fd;
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
    if (!ParseLines(DecodeWindows1252(end < 0 ? bytes : bytes.left(end)), loaded.rows, loaded.cutFields)) {
        Refused(loaded, QStringLiteral("mehr als %1 Zeilen").arg(MaxProtocolLines));
        return loaded;
    }
    loaded.foreign = IsForeign(bytes);
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
        // A file that grows while it is read, or a device, ends here.
        if (bytes.size() > MaxProtocolFileBytes) {
            LoadedProtocol loaded;
            Refused(loaded, QStringLiteral("Datei zu groß (mehr als %1 MB)").arg(Megabytes(MaxProtocolFileBytes)));
            return loaded;
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
    LoadedProtocol refused;
    const int fd = OpenRegularFile(path, refused);
    if (fd < 0)
        return refused;
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        Refused(refused, QStringLiteral("Datei lässt sich nicht lesen"));
        return refused;
    }
    return ReadProtocolText(file);
}

QString TimeStampName(const QDateTime& now)
{
    return now.toString(QStringLiteral("yyyy-MM-dd-HH-mm"));
}
