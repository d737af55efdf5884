#include "ProtocolFile.h"
#include "ProtocolBackup.h"
#include "QtPrinters.h"
#include "ReadBack.h"
#include "TextCodec.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

namespace {

using Cells = std::vector<QStringList>;

Cells ToCells(const ProtocolRows& rows)
{
    Cells cells;
    for (const ProtocolRow& row : rows)
        cells.push_back(QStringList(row.begin(), row.end()));
    return cells;
}

QStringList Row(QStringList texts)
{
    while (texts.size() < 6)
        texts << QString();
    return texts;
}

ProtocolRow ToRow(const QStringList& texts)
{
    ProtocolRow row;
    for (qsizetype col = 0; col < texts.size(); ++col)
        row[static_cast<std::size_t>(col)] = texts[col];
    return row;
}

const QByteArray kHeaderLine = "Nr.\tStart\tStopp\tZeit\tkm/h\tPlatz\t\r\n";
const ProtocolRow kHeader = ToRow({"Nr.", "Start", "Stopp", "Zeit", "km/h", "Platz"});

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

void WriteAll(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// Files may not grow beyond a few bytes while this lives: the one failure
// of a full disk that also hits root, without touching the machine's disks.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &saved_);
        savedHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = saved_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, savedHandler_);
    }

private:
    rlimit saved_{};
    void (*savedHandler_)(int) = nullptr;
};

// A device that breaks off after the given bytes.
class BrokenDevice : public QIODevice
{
public:
    explicit BrokenDevice(QByteArray bytes)
        : bytes_(std::move(bytes))
    {
        open(QIODevice::ReadOnly);
    }

protected:
    qint64 readData(char* data, qint64 max) override
    {
        if (pos_ == bytes_.size())
            return -1;
        const qint64 n = std::min<qint64>(max, bytes_.size() - pos_);
        std::copy_n(bytes_.constData() + pos_, n, data);
        pos_ += n;
        return n;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    QByteArray bytes_;
    qint64 pos_ = 0;
};

} // namespace

TEST(ProtocolFile, readerRules)
{
    struct Case {
        const char* name;
        QByteArray bytes;
        Cells rows;
    };
    const Case cases[] = {
        {"own file", kHeaderLine + "7\t9:05.03,27\t9:06.08,39\t1.05,12\t55,3\t1\t\r\n8\t9:07.10,02\t \t \t \t \t\r\n",
            {Row({"7", "9:05.03,27", "9:06.08,39", "1.05,12", "55,3", "1"}),
                Row({"8", "9:07.10,02", " ", " ", " ", " "})}},
        {"semicolons", "7;9:05.03,27;9:06.08,39;1.05,12;55,3;1",
            {Row({"7", "9:05.03,27", "9:06.08,39", "1.05,12", "55,3", "1"})}},
        {"run of separators", "7\t\t9:06.08,39\r\n", {Row({"7", "9:06.08,39"})}},
        {"leading separator", "\t\t5,12\t\n;x\n", {Row({" ", "5,12"}), Row({" ", "x"})}},
        {"semicolon in a TAB line", "a;b\tc\n", {Row({"a;b", "c"})}},
        {"eight fields", "1\t2\t3\t4\t5\t6\t7\t8\r\n", {Row({"1", "2", "3", "4", "5", "6"})}},
        {"Nr. anywhere", "5\tNr.\r\n6\t\r\nNr.\r\nnr.\r\n", {Row({"6"}), Row({"nr."})}},
        {"empty lines", "1\r\n\r\n\n2", {Row({"1"}), Row({}), Row({}), Row({"2"})}},
        {"end-of-file mark", "1\r\n2\x1a\r\n3\r\n", {Row({"1"}), Row({"2"})}},
        {"lone CR", "1\r2\t3\r\r\n4\r", {Row({"1\r2", "3\r"}), Row({"4\r"})}},
        {"header only", kHeaderLine, {}},
        {"nothing", "", {}},
        {"Windows-1252", "\x80\tGr\xfc\xdf\n", {Row({"€", "Grüß"})}},
        {"long line, its field cut", QByteArray(200000, 'x') + "\t1", {Row({QString(1000, u'x'), "1"})}},
    };
    for (const Case& c : cases) {
        const LoadedProtocol loaded = ParseProtocolText(c.bytes);
        EXPECT_EQ(ToCells(loaded.rows), c.rows) << c.name;
        EXPECT_TRUE(loaded.opened && loaded.complete) << c.name;
    }
}

TEST(ProtocolFile, writerLeavesOutRowsWithoutNumberAndWritesBlanksForEmptyCells)
{
    const ProtocolRows rows = {kHeader, ToRow({"7", "9:05.03,27", "9:06.08,39", "1.05,12", "55,3", "1"}),
        ToRow({"", "9:00.00,00"}), ToRow({"8", "9:07.10,02"}), ToRow({"9", "-", "-", "-", "-", "-"}),
        ToRow({"ä€"})};
    EXPECT_EQ(ProtocolTextBytes(rows),
        kHeaderLine + "7\t9:05.03,27\t9:06.08,39\t1.05,12\t55,3\t1\t\r\n8\t9:07.10,02\t \t \t \t \t\r\n"
                      "9\t-\t-\t-\t-\t-\t\r\n\xe4\x80\t \t \t \t \t \t\r\n");
    // An empty protocol is its header line and loads as no rows at all.
    EXPECT_EQ(ProtocolTextBytes({kHeader, ProtocolRow()}), kHeaderLine);
}

// Every byte comes back as it was; characters the code page lacks become '?'.
TEST(TextCodec, windows1252BothWays)
{
    QByteArray all;
    for (int b = 1; b < 256; ++b)
        all += static_cast<char>(b);
    EXPECT_EQ(EncodeWindows1252(DecodeWindows1252(all)), all);
    EXPECT_EQ(DecodeWindows1252("\x80\x81\x8a\x9f\xa0\xe4\xff"), QString::fromUtf8("€\u0081ŠŸ\u00a0äÿ"));
    EXPECT_EQ(EncodeWindows1252(QString::fromUtf8("x→ä😀\u0100")), QByteArray("x?\xe4??"));
    EXPECT_EQ(EncodeWindows1252(QString(QChar(0xD800))), QByteArray("?"));
}

TEST(ProtocolFile, fileThatCannotBeOpenedGivesNoRows)
{
    QTemporaryDir dir;
    for (const QString& path : {dir.filePath("missing.txt"), dir.path()}) {
        const LoadedProtocol loaded = LoadProtocolText(path);
        EXPECT_FALSE(loaded.opened) << path;
        EXPECT_TRUE(loaded.rows.empty()) << path;
    }
}

TEST(ProtocolFile, readErrorKeepsTheWholeLinesReadBefore)
{
    BrokenDevice device("1\t5,00\r\n2\t6,");
    const LoadedProtocol loaded = ReadProtocolText(device);
    EXPECT_TRUE(loaded.opened);
    EXPECT_FALSE(loaded.complete);
    EXPECT_EQ(ToCells(loaded.rows), (Cells{Row({"1", "5,00"})}));
}

TEST(ProtocolFile, savedFileLoadsBack)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("p.txt");
    const ProtocolRows rows = {kHeader, ToRow({"7", "9:05.03,27", "9:06.08,39", "1.05,12", "55,3", "1"})};
    ASSERT_TRUE(SaveProtocolText(path, rows));
    EXPECT_EQ(ReadAll(path), ProtocolTextBytes(rows));
    EXPECT_EQ(LoadProtocolText(path).rows, ProtocolRows(rows.begin() + 1, rows.end()));
}

TEST(ProtocolFile, timeStampNameIsTheProposedFileName)
{
    EXPECT_EQ(TimeStampName(QDateTime(QDate(2026, 12, 6), QTime(21, 3, 59))), QStringLiteral("2026-12-06-21-03"));
    EXPECT_EQ(TimeStampName(QDateTime(QDate(2027, 1, 2), QTime(8, 5))), QStringLiteral("2027-01-02-08-05"));
}

// A failed write leaves the previous file whole, leaves no temporary file
// behind and says why in German.
TEST(TextCodec, failedAtomicWriteKeepsThePreviousFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("backup.txt");
    WriteAll(path, "old");
    WriteAll(dir.filePath("file"), "");
    struct Case {
        const char* name;
        QString path;
        rlim_t limit;
        QString reason;
    };
    const Case cases[] = {
        {"parent is a file", dir.filePath("file/backup.txt"), RLIM_INFINITY, "Ordner nicht gefunden"},
        {"file too large", path, 16, "Datei zu groß"},
    };
    for (const Case& c : cases) {
        QString error;
        bool written = true;
        {
            const FileSizeLimit limit(c.limit);
            written = WriteFileAtomically(c.path, QByteArray(4096, 'n'), &error);
        }
        EXPECT_FALSE(written) << c.name;
        EXPECT_EQ(error, c.reason) << c.name;
        EXPECT_EQ(ReadAll(path), QByteArray("old")) << c.name;
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), (QStringList{"backup.txt", "file"})) << c.name;
    }
}

// One command (a stop writes its cells, then ranks) is written once; a
// failure is reported until a later write succeeds.
TEST(ProtocolBackup, writesOncePerCommandAndReportsFailureUntilAWriteSucceeds)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("Ravolt-Sicherungsdatei.txt");
    ProtocolRows rows = {kHeader, ToRow({"1", "9:00.00,00"})};
    int reads = 0;
    ProtocolBackup backup(path, [&] { ++reads; return rows; });
    QStringList notices;
    QObject::connect(&backup, &ProtocolBackup::StatusChanged, &backup, [&](const QString& notice) { notices << notice; });

    backup.Schedule();
    backup.Schedule();
    EXPECT_TRUE(backup.Scheduled());
    EXPECT_EQ(reads, 0);
    QCoreApplication::processEvents();
    EXPECT_EQ(reads, 1) << "the rows are taken when the command is done";
    backup.WaitForWrites();
    EXPECT_FALSE(backup.Scheduled());
    EXPECT_EQ(reads, 1);
    EXPECT_EQ(ReadAll(path), ProtocolTextBytes(rows));

    const QByteArray before = ReadAll(path);
    rows.push_back(ToRow({"2", "9:01.00,00"}));
    {
        const FileSizeLimit limit(16);
        EXPECT_FALSE(backup.WriteNow());
    }
    EXPECT_EQ(ReadAll(path), before);
    EXPECT_EQ(backup.Notice(), QStringLiteral("Sicherung fehlgeschlagen: Datei zu groß"));

    EXPECT_TRUE(backup.WriteNow());
    EXPECT_EQ(ReadAll(path), ProtocolTextBytes(rows));
    EXPECT_EQ(notices, (QStringList{"Sicherung fehlgeschlagen: Datei zu groß", ""}));
}

// The fuzz target's seed corpus, replayed on every test run.
TEST(ProtocolFile, seedCorpusReadsBackTheSame)
{
    const QDir corpus(QStringLiteral(RAVOLT_CORPUS_DIR));
    const QStringList files = corpus.entryList(QDir::Files);
    ASSERT_FALSE(files.isEmpty());
    for (const QString& name : files)
        EXPECT_TRUE(ReadsBackTheSame(ReadAll(corpus.filePath(name)))) << name;
}

// Whatever lies under the name, the reader returns at once: a FIFO is not
// waited for, a device is not read forever, and nothing beyond the bounds
// is taken in.
TEST(ProtocolFile, onlyRegularFilesWithinTheBoundsAreRead)
{
    QTemporaryDir dir;
    const QString fifo = dir.filePath("fifo.txt");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString zero = dir.filePath("zero.txt");
    ASSERT_TRUE(QFile::link("/dev/zero", zero));
    const QString big = dir.filePath("big.txt");
    {
        QFile file(big);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.resize(MaxProtocolFileBytes + 1));
    }
    const QString lines = dir.filePath("lines.txt");
    WriteAll(lines, QByteArray(MaxProtocolLines + 1, '\n'));
    const QString linked = dir.filePath("linked.txt");
    WriteAll(dir.filePath("own.txt"), kHeaderLine + "7\t1.05,12\t\r\n");
    ASSERT_TRUE(QFile::link(dir.filePath("own.txt"), linked));

    const struct
    {
        QString path;
        const char* error;
    } cases[] = {
        {fifo, "keine gewöhnliche Datei"},
        {zero, "keine gewöhnliche Datei"},
        {dir.path(), "ein Ordner, keine Datei"},
        {big, "Datei zu groß (9 MB, höchstens 8 MB)"},
        {lines, "mehr als 100000 Zeilen"},
        {dir.filePath("missing.txt"), "Datei nicht vorhanden"},
        {linked, ""},
    };
    for (const auto& c : cases) {
        const LoadedProtocol loaded = LoadProtocolText(c.path);
        EXPECT_EQ(loaded.error, QString::fromUtf8(c.error)) << c.path.toStdString();
        EXPECT_EQ(loaded.opened, loaded.error.isEmpty()) << c.path.toStdString();
    }
    EXPECT_TRUE(LoadProtocolText(dir.filePath("missing.txt")).missing);
}

// A backup that would not be written back as it is must be kept before it
// is replaced: whatever else wrote it, or a field the reader had to cut.
TEST(ProtocolFile, aFileNotWrittenByThisProgramIsToldApart)
{
    const QString utf16 = QStringLiteral("Nr.\tStart\r\n7\t1.05,12\r\n");
    const struct
    {
        const char* name;
        QByteArray bytes;
        bool foreign;
        int cut;
    } cases[] = {
        {"own file", kHeaderLine + "7\t9:05.03,27\t9:06.08,39\t1.05,12\t55,3\t1\t\r\n", false, 0},
        {"own empty protocol", kHeaderLine, false, 0},
        {"nothing at all", "", false, 0},
        {"NUL bytes", kHeaderLine + QByteArray("7\t1.05,12\0\t\r\n", 12), true, 0},
        {"UTF-16", QByteArray(reinterpret_cast<const char*>(utf16.utf16()), utf16.size() * 2), true, 0},
        {"another header", "Name;Zeit\r\nMaier;1.05,12\r\n", true, 0},
        {"end-of-file mark", kHeaderLine + "7\t1.05,12\t\r\n\x1a", true, 0},
        {"a field too long", kHeaderLine + QByteArray(MaxProtocolFieldLength + 1, 'x') + "\t\r\n", false, 1},
    };
    for (const auto& c : cases) {
        const LoadedProtocol loaded = ParseProtocolText(c.bytes);
        EXPECT_EQ(loaded.foreign, c.foreign) << c.name;
        EXPECT_EQ(loaded.cutFields, c.cut) << c.name;
        EXPECT_EQ(loaded.Clean(), !c.foreign && c.cut == 0) << c.name;
    }
}
