#include "BackupExitQuestion.h"
#include "Journal.h"
#include "MainWindowRig.h"
#include "ProtocolBackup.h"
#include "ProtocolFile.h"
#include "ProtocolFileCommands.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

const QByteArray kHeaderLine = "Nr.\tStart\tStopp\tZeit\tkm/h\tPlatz\t\r\n";

void WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// A path below a regular file: nothing can be written there, not even by root.
QString Unwritable(MainWindowRig& rig, const QString& name)
{
    const QString blocker = rig.dir.filePath(name);
    WriteFile(blocker, "x");
    return blocker + QStringLiteral("/Ravolt-Sicherungsdatei.txt");
}

QString JournalText(MainWindowRig& rig)
{
    QFile file(rig.form->EventJournal()->DayFileName(rig.clock.now.date()));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

} // namespace

TEST(BackupFaults, AVanishedFolderSendsTheBackupToTheFallbackAndTheRestartReadsTheNewest)
{
    MainWindowRig rig({}, false);
    MainWindowSeams seams = rig.Seams();
    const QString stick = rig.dir.filePath(QStringLiteral("stick"));
    ASSERT_TRUE(QDir().mkpath(stick));
    seams.paths->BackupFileName = stick + QStringLiteral("/Ravolt-Sicherungsdatei.txt");
    const QString fallback = seams.paths->BackupFallbackName;
    rig.form = CreateProgramWindows(rig.settings, seams);
    TimeRun(rig, 5120);
    SettleBackup(*rig.form);
    ASSERT_TRUE(QDir(stick).removeRecursively());
    TimeRun(rig, 7000);
    SettleBackup(*rig.form);
    EXPECT_TRUE(FileBytes(fallback).contains("\t7,00\t")) << FileBytes(fallback).constData();
    EXPECT_TRUE(rig.form->Widgets().LabNotice->text().contains(QStringLiteral("gesichert in ") +
                                                     QDir::toNativeSeparators(fallback)))
        << rig.form->Widgets().LabNotice->text().toStdString();
    const ProtocolRows atExit = rig.form->Protocol()->Rows();
    rig.form.reset();

    // The folder is back, with an older backup in it: the newer one wins,
    // and the older one is kept before the next write replaces it.
    ASSERT_TRUE(QDir().mkpath(stick));
    const QByteArray older = kHeaderLine + "1\t9:05.03,07\t9:05.08,19\t5,12\t703,1\t1\t\r\n";
    WriteFile(seams.paths->BackupFileName, older);
    QFile old(seams.paths->BackupFileName);
    ASSERT_TRUE(old.open(QIODevice::ReadWrite));
    ASSERT_TRUE(old.setFileTime(QDateTime::currentDateTime().addSecs(-60), QFileDevice::FileModificationTime));
    old.close();
    rig.form = CreateProgramWindows(rig.settings, seams);
    EXPECT_EQ(rig.form->Protocol()->Rows(), atExit);
    const QStringList kept = QDir(seams.journalFolder).entryList({QStringLiteral("Vor-Sicherung-*.txt")}, QDir::Files);
    ASSERT_EQ(kept.size(), 1);
    EXPECT_EQ(FileBytes(seams.journalFolder + QLatin1Char('/') + kept[0]), older);
    EXPECT_TRUE(rig.form->Widgets().LabNotice->text().startsWith(QStringLiteral("Sicherung aus dem Ersatzordner gelesen: ")))
        << rig.form->Widgets().LabNotice->text().toStdString();
}

TEST(BackupFaults, ClosingWhenNoBackupCanBeWrittenAsksAndOffersToSaveElsewhere)
{
    using Answer = BackupExitQuestion::Answer;
    const struct
    {
        const char* name;
        bool runs;
        std::vector<Answer> answers;
        bool closes;
        bool saved;
    } cases[] = {
        {"Nein", true, {Answer::Stay}, false, false},
        {"saved on a stick, then Ja", true, {Answer::SaveElsewhere, Answer::Quit}, true, true},
        {"nothing to lose", false, {}, true, false},
    };
    for (const auto& c : cases) {
        MainWindowRig rig({}, false);
        MainWindowSeams seams = rig.Seams();
        seams.paths->BackupFileName = Unwritable(rig, QStringLiteral("program"));
        seams.paths->BackupFallbackName = Unwritable(rig, QStringLiteral("data-blocker"));
        rig.form = CreateProgramWindows(rig.settings, seams);
        rig.form->show();
        if (c.runs)
            TimeRun(rig, 5120);
        std::size_t asked = 0;
        rig.form->ExitQuestion()->Ask = [&](const QString& question, const QString& why) {
            EXPECT_EQ(question, QStringLiteral("Sicherung fehlgeschlagen – trotzdem beenden?"));
            EXPECT_TRUE(why.startsWith(QStringLiteral("Sicherung fehlgeschlagen: "))) << why.toStdString();
            return asked < c.answers.size() ? c.answers[asked++] : Answer::Stay;
        };
        const QString stick = rig.dir.filePath(QStringLiteral("stick.txt"));
        rig.form->FileCommands()->RunDialog = [&](QFileDialog& dialog) {
            dialog.selectFile(stick);
            return true;
        };
        EXPECT_EQ(rig.form->close(), c.closes) << c.name;
        EXPECT_EQ(asked, c.answers.size()) << c.name;
        EXPECT_EQ(FileBytes(stick).contains("\t5,12\t"), c.saved) << c.name;
    }
}

// Whatever lies under the backup's name, the start returns, says so, and
// never writes over it; the runs go to the per-user folder.
TEST(BackupFaults, AnUnreadableBackupIsToldAtStartAndNeverWrittenOver)
{
    const struct
    {
        const char* name;
        std::function<void(const QString& path)> make;
        const char* why;
    } cases[] = {
        {"a folder", [](const QString& path) { QDir().mkpath(path + QStringLiteral("/inside")); },
         "ein Ordner, keine Datei"},
        {"a FIFO", [](const QString& path) { ::mkfifo(QFile::encodeName(path).constData(), 0600); },
         "keine gewöhnliche Datei"},
        {"a link to /dev/zero", [](const QString& path) { QFile::link(QStringLiteral("/dev/zero"), path); },
         "keine gewöhnliche Datei"},
    };
    for (const auto& c : cases) {
        MainWindowRig rig({}, false);
        MainWindowSeams seams = rig.Seams();
        const QString backup = seams.paths->BackupFileName;
        c.make(backup);
        const QFileInfo before(backup);
        rig.form = CreateProgramWindows(rig.settings, seams);
        const QString said = QStringLiteral("Sicherungsdatei nicht lesbar (%1)").arg(QString::fromUtf8(c.why));
        EXPECT_TRUE(rig.form->Widgets().LabNotice->text().startsWith(said)) << c.name << rig.form->Widgets().LabNotice->text().toStdString();
        EXPECT_TRUE(JournalText(rig).contains(said)) << c.name;
        TimeRun(rig, 5120);
        rig.form.reset();
        EXPECT_TRUE(FileBytes(seams.paths->BackupFallbackName).contains("\t5,12\t")) << c.name;
        const QFileInfo after(backup);
        EXPECT_EQ(after.isDir(), before.isDir()) << c.name;
        EXPECT_EQ(after.isSymLink(), before.isSymLink()) << c.name;
        EXPECT_EQ(after.isFile(), before.isFile()) << c.name;
    }
}

TEST(BackupFaults, AForeignBackupIsKeptAsASnapshotBeforeItIsWrittenOver)
{
    const QString utf16 = QStringLiteral("Nr.\tStart\r\n7\t9:05.03,27\r\n");
    QByteArray random(4096, Qt::Uninitialized);
    for (int i = 0; i < random.size(); ++i)
        random[i] = char((i * 7919 + 13) % 251);
    const struct
    {
        const char* name;
        QByteArray bytes;
        const char* why;
    } cases[] = {
        {"random binary", random, "nicht von diesem Programm geschrieben"},
        {"UTF-16", QByteArray(reinterpret_cast<const char*>(utf16.utf16()), utf16.size() * 2),
         "nicht von diesem Programm geschrieben"},
        {"NUL bytes", kHeaderLine + QByteArray("7\t9:05.03,27\0\t\r\n", 15), "nicht von diesem Programm geschrieben"},
        {"a field too long", kHeaderLine + QByteArray(5000, '7') + "\t\r\n", "1 Feld über 1000 Zeichen gekürzt"},
    };
    for (const auto& c : cases) {
        MainWindowRig rig({}, false);
        MainWindowSeams seams = rig.Seams();
        WriteFile(seams.paths->BackupFileName, c.bytes);
        rig.form = CreateProgramWindows(rig.settings, seams);
        const QStringList kept =
            QDir(seams.journalFolder).entryList({QStringLiteral("Vor-Sicherung-*.txt")}, QDir::Files);
        ASSERT_EQ(kept.size(), 1) << c.name;
        EXPECT_EQ(FileBytes(seams.journalFolder + QLatin1Char('/') + kept[0]), c.bytes) << c.name;
        const QString notice = rig.form->Widgets().LabNotice->text();
        EXPECT_TRUE(notice.startsWith(QStringLiteral("Sicherungsdatei ") + QString::fromUtf8(c.why))) << c.name;
        EXPECT_TRUE(notice.contains(kept[0])) << c.name;
        TimeRun(rig, 5120);
        SettleBackup(*rig.form);
        EXPECT_TRUE(FileBytes(seams.paths->BackupFileName).startsWith(kHeaderLine)) << c.name;
    }
}

// With the journal's folder unwritable (as on a full disk) no command that
// removes results runs; the operator is told why, and the notice line tells
// the snapshot's failure beside the journal's.
TEST(BackupFaults, ACommandThatRemovesResultsDoesNotRunWithoutItsSnapshot)
{
    struct Case
    {
        const char* name;
        std::function<void(MainWindowRig&)> command;
        const char* refused;
    };
    const Case cases[] = {
        {"F8", [](MainWindowRig& rig) { rig.form->Widgets().New1->trigger(); }, "Löschen"},
        {"UNFALL", [](MainWindowRig& rig) { rig.form->Runs()->bAVARIAClick(); }, "Unfall"},
        {"remove row", [](MainWindowRig& rig) { rig.form->Widgets().Erase1->trigger(); }, "Zeile entfernen"},
        {"remove empty rows", [](MainWindowRig& rig) { rig.form->Widgets().Leerenzeilenentfernen1->trigger(); },
         "Leere Zeilen entfernen"},
        {"load", [](MainWindowRig& rig) { rig.form->FileCommands()->LoadText(rig.dir.filePath("other.txt")); },
         "Laden"},
    };
    for (const Case& c : cases) {
        MainWindowRig rig({}, false);
        MainWindowSeams seams = rig.Seams();
        WriteFile(seams.paths->BackupFileName, kHeaderLine + "1\t9:05.03,07\t9:05.08,19\t5,12\t703,1\t1\t\r\n"
                                                             "2\t9:06.03,07\t \t \t \t \t\r\n");
        WriteFile(rig.dir.filePath("other.txt"), kHeaderLine + "9\t9:05.03,07\t9:05.08,19\t5,12\t703,1\t1\t\r\n");
        WriteFile(seams.journalFolder, "a file where the folder should be");
        rig.form = CreateProgramWindows(rig.settings, seams);
        rig.form->show();
        QStringList messages;
        rig.form->FileCommands()->ShowMessage = [&](const QString& m) { messages << m; };
        rig.form->ShowWarning = [&](const QString& m) { messages << m; };
        rig.form->FileCommands()->Ask = [](const QString&) { return true; };
        rig.form->Widgets().SortGrid1->JumpToCell(0, 1, true);
        const ProtocolRows before = rig.form->Protocol()->Rows();
        c.command(rig);
        EXPECT_EQ(rig.form->Protocol()->Rows(), before) << c.name;
        ASSERT_EQ(messages.size(), 1) << c.name;
        EXPECT_TRUE(messages[0].startsWith(QStringLiteral("„%1“ nicht ausgeführt").arg(QString::fromUtf8(c.refused))))
            << c.name << messages[0].toStdString();
        const QString notice = rig.form->Widgets().LabNotice->text();
        EXPECT_TRUE(notice.contains(QStringLiteral("Journal wird nicht geschrieben")) &&
                    notice.contains(QStringLiteral("Schnappschuss nicht gespeichert")))
            << c.name << notice.toStdString();
    }
}
