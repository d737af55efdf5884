// The real program as the operator's laptop runs it: a run timed through the
// developer's barrier pipe, the process killed hard, the program started
// again. The result must survive.
#include "Scoring.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct Program
{
    explicit Program(const QTemporaryDir& dir, bool manyStart = true)
        : folder(dir.filePath(QStringLiteral("bin")))
        , fifo(dir.filePath(QStringLiteral("barriers")))
    {
        QDir().mkpath(folder);
        // The backup lives beside the program: the program gets a folder of its own.
        QFile::copy(QStringLiteral(RAVOLT_BINARY), folder + QStringLiteral("/ravolt"));
        QFile::setPermissions(folder + QStringLiteral("/ravolt"), QFile::ReadOwner | QFile::ExeOwner);
        ::mkfifo(fifo.toLocal8Bit().constData(), 0600);
        // Set as an operator would, in the settings file; with repeated
        // starts a start after the restart adds a row of its own.
        QDir().mkpath(dir.filePath(QStringLiteral("config/Quintaro")));
        QFile settings(dir.filePath(QStringLiteral("config/Quintaro/ravolt.conf")));
        if (settings.open(QIODevice::WriteOnly))
            settings.write("[General]\nLeft=0\nTop=0\nWidth=754\nHeight=488\nSound=0\nPort=0\nAlg=0\n"
                           "WaitStart=0\nFilterInd=1\nLength=1000\nMonitor=0\nTitle=Lauf\nRunden=0\nManyStart=" +
                           QByteArray(manyStart ? "1" : "0") + "\n");
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("config")));
        env.insert(QStringLiteral("XDG_DATA_HOME"), dir.filePath(QStringLiteral("data")));
        env.insert(QStringLiteral("RAVOLT_BARRIER_FIFO"), fifo);
        process.setProcessEnvironment(env);
        process.setProgram(folder + QStringLiteral("/ravolt"));
    }
    ~Program()
    {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(10000);
        }
    }

    QString Backup() const { return folder + QStringLiteral("/Ravolt-Sicherungsdatei.txt"); }

    bool Start()
    {
        process.start();
        return process.waitForStarted(20000);
    }

    // Sends a barrier command once the program reads its pipe.
    bool Send(const QByteArray& command, int ms = 20000)
    {
        const QDeadlineTimer deadline(ms);
        int fd;
        // Opening for writing fails until the program has opened the pipe.
        while ((fd = ::open(fifo.toLocal8Bit().constData(), O_WRONLY | O_NONBLOCK)) < 0) {
            if (deadline.hasExpired() || process.state() == QProcess::NotRunning)
                return false;
            QThread::msleep(10);
        }
        const bool written = ::write(fd, command.constData(), size_t(command.size())) == command.size();
        ::close(fd);
        return written;
    }

    // Polls the backup until it matches (the program writes it after each
    // change). A command is sent again every resendMs while it does not,
    // since the barrier input ignores pulses within its lockouts.
    QString WaitForBackup(const QRegularExpression& pattern, const QByteArray& resend = {}, int resendMs = 300)
    {
        const QDeadlineTimer deadline(30000);
        QDeadlineTimer again(resendMs);
        QString text;
        do {
            if (!resend.isEmpty() && again.hasExpired()) {
                Send(resend);
                again.setRemainingTime(resendMs);
            }
            QFile file(Backup());
            if (file.open(QIODevice::ReadOnly))
                text = QString::fromLatin1(file.readAll());
            if (pattern.match(text).hasMatch())
                return text;
            QThread::msleep(10);
        } while (!deadline.hasExpired());
        return QStringLiteral("<timed out> ") + text;
    }

    void KillHard()
    {
        process.kill(); // SIGKILL: no exit handler runs
        process.waitForFinished(10000);
    }

    QString folder;
    QString fifo;
    QProcess process;
};

// The run times (ms) of a start number in the event book under dataHome, read
// as a separate reader would. Not read-only: after a kill the reader may have
// to rebuild the write-ahead log's index, which a read-only reader cannot,
// and it would see nothing while the data is there.
QList<int> BookRunTimes(const QString& dataHome, int number)
{
    QString path;
    QDirIterator files(dataHome, {QStringLiteral("*.ravolt")}, QDir::Files, QDirIterator::Subdirectories);
    if (files.hasNext())
        path = files.next();
    QList<int> times;
    if (path.isEmpty())
        return times;
    const QString name = QStringLiteral("book-reader");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        if (db.open()) {
            QSqlQuery query(db);
            query.prepare(QStringLiteral("SELECT run_time_ms FROM run WHERE number = ? ORDER BY id"));
            query.addBindValue(number);
            if (query.exec())
                while (query.next())
                    times << query.value(0).toInt();
        }
    }
    QSqlDatabase::removeDatabase(name);
    return times;
}

} // namespace

TEST(RealProgram, ATimedRunSurvivesAKillAndIsThereAtTheNextStart)
{
    QTemporaryDir dir;
    Program program(dir);
    ASSERT_TRUE(program.Start());
    ASSERT_TRUE(program.Send("START\n"));
    const QRegularExpression started(QStringLiteral("\r\n1\t[0-9:.,]+\t \t"));
    ASSERT_TRUE(program.WaitForBackup(started).contains(started)) << "the start is backed up at once";
    // The finish barrier is armed once both lanes run: car 2 starts too.
    const QRegularExpression second(QStringLiteral("\r\n2\t[0-9:.,]+\t"));
    ASSERT_TRUE(program.WaitForBackup(second, "START\n").contains(second));
    const QRegularExpression finished(QStringLiteral("\r\n(1\t[0-9:.,]+\t[0-9:.,]+\t[0-9.,]+\t[^\t]+\t1\t)\r\n"));
    const QString beforeKill = program.WaitForBackup(finished, "STOPP\n");
    const QString row = finished.match(beforeKill).captured(1);
    ASSERT_FALSE(row.isEmpty()) << beforeKill.toStdString();
    // The book follows the protocol on its own thread: once the run is in
    // the file, a kill must not take it out again.
    const QString dataHome = dir.filePath(QStringLiteral("data"));
    const QDeadlineTimer bookDeadline(30000);
    while (BookRunTimes(dataHome, 1).isEmpty() && !bookDeadline.hasExpired())
        QThread::msleep(10);
    program.KillHard();
    // A reader may find the file busy for a moment while it recovers the log.
    QList<int> kept;
    const QDeadlineTimer readDeadline(10000);
    while ((kept = BookRunTimes(dataHome, 1)).isEmpty() && !readDeadline.hasExpired())
        QThread::msleep(10);
    ASSERT_EQ(kept.size(), 1) << "car 1's run is in the book after the kill";
    EXPECT_EQ(ResultTimeText(kept.first(), false), row.section(QLatin1Char('\t'), 3, 3)) << "with the protocol's time";

    ASSERT_TRUE(program.Start());
    // The next start is backed up with the protocol the program restored:
    // a car starts below the restored rows (car 3 when the lanes' numbers,
    // written right after the backup, were kept before the kill, else car 1).
    ASSERT_TRUE(program.Send("START\n"));
    const QRegularExpression restored(QRegularExpression::escape(QStringLiteral("\r\n") + row + QStringLiteral("\r\n")) +
                                          QStringLiteral(".*\r\n[13]\t[0-9:.,]+\t \t"),
                                      QRegularExpression::DotMatchesEverythingOption);
    const QString afterRestart = program.WaitForBackup(restored);
    EXPECT_TRUE(afterRestart.contains(restored)) << afterRestart.toStdString();
    program.KillHard();
}

// Without repeated starts a START on a number reuses its row: after the
// restart the lanes must go on where they stood, not at car 1.
TEST(RealProgram, AfterAKillAndRestartAStartDoesNotClearCarOnesResult)
{
    QTemporaryDir dir;
    Program program(dir, false);
    ASSERT_TRUE(program.Start());
    ASSERT_TRUE(program.Send("START\n"));
    const QRegularExpression second(QStringLiteral("\r\n2\t[0-9:.,]+\t"));
    ASSERT_TRUE(program.WaitForBackup(second, "START\n").contains(second));
    const QRegularExpression finished(QStringLiteral("\r\n(1\t[0-9:.,]+\t[0-9:.,]+\t[0-9.,]+\t[^\t]+\t1\t)\r\n"));
    const QString beforeKill = program.WaitForBackup(finished, "STOPP\n");
    const QString row = finished.match(beforeKill).captured(1);
    ASSERT_FALSE(row.isEmpty()) << beforeKill.toStdString();
    // The start numbers are written right after the backup: wait for them.
    const QString numbers = program.folder + QStringLiteral("/Ravolt-Sicherungsdatei.startnummern");
    const QDeadlineTimer deadline(30000);
    QByteArray kept;
    while (!kept.contains("Bahn1=1 3 1") && !deadline.hasExpired()) {
        QThread::msleep(10);
        QFile file(numbers);
        if (file.open(QIODevice::ReadOnly))
            kept = file.readAll();
    }
    ASSERT_TRUE(kept.contains("Bahn1=1 3 1")) << kept.toStdString();
    program.KillHard();

    ASSERT_TRUE(program.Start());
    ASSERT_TRUE(program.Send("START\n"));
    // Lane 1 showed car 1's result: it goes on with car 3.
    const QRegularExpression third(QStringLiteral("\r\n3\t[0-9:.,]+\t \t"));
    const QString afterRestart = program.WaitForBackup(third);
    EXPECT_TRUE(afterRestart.contains(third)) << afterRestart.toStdString();
    EXPECT_TRUE(afterRestart.contains(QStringLiteral("\r\n") + row + QStringLiteral("\r\n")))
        << "car 1's result survives: " << afterRestart.toStdString();
    program.KillHard();
}

// A shutdown or `kill` (SIGTERM) while a lane runs ends the program as a
// regular exit does, without waiting for an answer to "Beenden?".
TEST(RealProgram, ATerminateSignalEndsItAsARegularExit)
{
    QTemporaryDir dir;
    Program program(dir);
    ASSERT_TRUE(program.Start());
    ASSERT_TRUE(program.Send("START\n"));
    const QRegularExpression started(QStringLiteral("\r\n1\t[0-9:.,]+\t \t"));
    ASSERT_TRUE(program.WaitForBackup(started).contains(started));
    program.process.terminate();
    ASSERT_TRUE(program.process.waitForFinished(30000));
    EXPECT_EQ(program.process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.process.exitCode(), 0);
    QDirIterator days(dir.filePath(QStringLiteral("data")), {QStringLiteral("Journal-*.txt")}, QDir::Files,
                      QDirIterator::Subdirectories);
    ASSERT_TRUE(days.hasNext());
    QFile journal(days.next());
    ASSERT_TRUE(journal.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(journal.readAll()).trimmed();
    EXPECT_TRUE(text.endsWith(QStringLiteral("Programmende"))) << text.toStdString();
}
