#include "MainWindowRig.h"

#include "ProtocolBackup.h"
#include "ProtocolFile.h"
#include "ProtocolFileCommands.h"
#include "TFDlgYesNo.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QToolButton>
#include <gtest/gtest.h>

TEST(ProtocolFiles, SaveDialogProposesTheTimeStampAndAddsTheTypesExtension)
{
    const struct
    {
        const char* typed;
        int type;
        const char* written;
        const char* writer;
    } cases[] = {
        {"lauf1", 1, "lauf1.txt", "text"},
        {"lauf1.dat", 1, "lauf1.dat", "text"},
        {"lauf1", 2, "lauf1.doc", "word"},
        {"lauf1", 3, "lauf1.html", "web"},
    };
    for (const auto& c : cases) {
        MainWindowRig rig;
        TimeRun(rig, 5120);
        rig.clock.now = QDateTime(QDate(2026, 12, 6), QTime(21, 3, 59));
        ProtocolFileCommands& files = *rig.form->FileCommands();
        QString writer;
        files.ExportToWord = [&](const QString& path) { writer = "word:" + path; return true; };
        files.WriteHtmlPage = [&](const QString& path) { writer = "web:" + path; return true; };
        const QString folder = rig.dir.filePath(QStringLiteral("events"));
        QDir().mkpath(folder);
        files.RunDialog = [&](QFileDialog& dialog) {
            EXPECT_EQ(dialog.nameFilters().size(), 3);
            EXPECT_EQ(dialog.selectedNameFilter(), dialog.nameFilters().value(0)) << "first run: text file";
            EXPECT_EQ(QFileInfo(dialog.selectedFiles().value(0)).fileName(), "2026-12-06-21-03");
            EXPECT_EQ(dialog.directory().absolutePath() + '/', rig.form->Paths().ProgramDir);
            dialog.selectNameFilter(dialog.nameFilters().value(c.type - 1));
            dialog.selectFile(folder + '/' + QLatin1String(c.typed));
            return true;
        };
        rig.form->Widgets().sbSave->click();
        const QString written = folder + '/' + QLatin1String(c.written);
        if (QLatin1String(c.writer) == QLatin1String("text"))
            EXPECT_TRUE(FileBytes(written).startsWith("Nr.\tStart\t")) << c.typed;
        else
            EXPECT_EQ(writer, QLatin1String(c.writer) + ':' + written) << c.typed;
        EXPECT_EQ(QDir::currentPath(), folder) << "the current folder follows the file";
        EXPECT_EQ(files.FilterIndex(), c.type);
        rig.form.reset();
        EXPECT_TRUE(rig.store.writes.contains(QStringLiteral("FilterInd=int:%1").arg(c.type)));
    }
}

// A hidden file dialog would rescan its folder in threads of its own each
// time the backup there is rewritten, so no dialog outlives its use; the
// next one still opens where the operator left the last, with its type.
TEST(ProtocolFiles, DialogsLiveOnlyWhileInUseAndRememberFolderTypeAndName)
{
    MainWindowRig rig;
    TimeRun(rig, 5120);
    ProtocolFileCommands& files = *rig.form->FileCommands();
    files.WriteHtmlPage = [](const QString&) { return true; };
    const QString folder = rig.dir.filePath(QStringLiteral("events"));
    QDir().mkpath(folder);
    const auto dialogs = [&] { return rig.form->findChildren<QFileDialog*>().size(); };
    EXPECT_EQ(dialogs(), 0);

    files.RunDialog = [&](QFileDialog& dialog) {
        dialog.selectNameFilter(dialog.nameFilters().value(2));
        dialog.selectFile(folder + QStringLiteral("/lauf"));
        return true;
    };
    files.sbSaveClick();
    files.RunDialog = [&](QFileDialog& dialog) {
        EXPECT_EQ(dialog.directory().absolutePath(), folder);
        EXPECT_EQ(dialog.selectedNameFilter(), dialog.nameFilters().value(2));
        return false;
    };
    files.sbSaveClick();
    EXPECT_EQ(files.FilterIndex(), int(ProtocolFileCommands::WebPage));

    const QString text = folder + QStringLiteral("/lauf.txt");
    ASSERT_TRUE(SaveProtocolText(text, rig.form->Protocol()->Rows()));
    for (int use = 0; use < 2; ++use) {
        files.RunDialog = [&](QFileDialog& dialog) {
            if (use == 1) {
                EXPECT_EQ(dialog.directory().absolutePath(), folder);
                EXPECT_EQ(QFileInfo(dialog.selectedFiles().value(0)).fileName(), "lauf.txt");
            }
            dialog.selectFile(text);
            return true;
        };
        files.sbLoadClick();
    }
    EXPECT_EQ(dialogs(), 0);
}

TEST(ProtocolFiles, ASavedProtocolLoadsBackRankedAndAnUnreadableFileKeepsTheProtocol)
{
    MainWindowRig rig;
    TimeRun(rig, 7000);
    TimeRun(rig, 5120);
    const QString path = rig.dir.filePath(QStringLiteral("lauf.txt"));
    ProtocolFileCommands& files = *rig.form->FileCommands();
    files.RunDialog = [&](QFileDialog& dialog) {
        dialog.selectFile(path);
        return true;
    };
    files.sbSaveClick();
    const ProtocolRows saved = rig.form->Protocol()->Rows();
    rig.grid().SetCells(3, 1, QStringLiteral("9,00"));
    files.sbLoadClick();
    EXPECT_EQ(rig.form->Protocol()->Rows(), saved);
    EXPECT_EQ(rig.RowOf("2").section('|', 5), "1");

    QStringList messages;
    files.ShowMessage = [&](const QString& m) { messages << m; };
    EXPECT_FALSE(files.LoadText(rig.dir.filePath(QStringLiteral("fehlt.txt"))));
    EXPECT_EQ(rig.form->Protocol()->Rows(), saved) << "the protocol on screen is not lost";
    EXPECT_EQ(messages.size(), 1);
}

TEST(ProtocolFiles, ClearingAsksWithTwoBlanksAndOnlyJaClears)
{
    for (const bool yes : {false, true}) {
        MainWindowRig rig;
        TimeRun(rig, 5120);
        QString asked;
        rig.form->FileCommands()->Ask = [&](const QString& question) {
            asked = question;
            return yes;
        };
        rig.form->Widgets().New1->trigger();
        EXPECT_EQ(asked, "Zeitenprotokoll  löschen?");
        EXPECT_EQ(rig.RowOf("1") == "<none>", yes);
        EXPECT_EQ(rig.form->Widgets().sbSave->isEnabled(), !yes);
    }
}

TEST(Backup, EveryChangeOfTheProtocolIsOnTheDiskOnceTheCommandEnds)
{
    MainWindowRig rig;
    TFormMain& f = *rig.form;
    const QString backup = f.Paths().BackupFileName;
    EXPECT_EQ(QFileInfo(backup).absolutePath(), rig.dir.path());
    rig.Start();
    EXPECT_TRUE(f.Backup()->Scheduled()) << "written when the command is done, not within it";
    SettleBackup(f);
    EXPECT_TRUE(FileBytes(backup).contains("\r\n1\t9:05.03,07\t \t"));
    rig.clock.Advance(5120);
    rig.Stop();
    SettleBackup(f);
    EXPECT_TRUE(FileBytes(backup).contains("\t5,12\t"));
    f.Widgets().SortGrid1->JumpToCell(0, 1, true);
    rig.Accident();
    SettleBackup(f);
    EXPECT_TRUE(FileBytes(backup).contains("1\t-\t-\t-\t-\t-\t\r\n"));
    f.Widgets().Erase1->trigger();
    SettleBackup(f);
    EXPECT_EQ(FileBytes(backup), "Nr.\tStart\tStopp\tZeit\tkm/h\tPlatz\t\r\n");
}

TEST(Backup, AFailedWriteShowsANoticeUntilAWriteSucceeds)
{
    MainWindowRig rig({}, false);
    MainWindowSeams seams = rig.Seams();
    const QString folder = rig.dir.filePath(QStringLiteral("stick"));
    seams.paths->BackupFileName = folder + QStringLiteral("/Ravolt-Sicherungsdatei.txt");
    rig.form = CreateProgramWindows(rig.settings, seams);
    TFormMain& f = *rig.form;
    f.show();
    rig.Start();
    SettleBackup(f);
    EXPECT_TRUE(f.Widgets().LabNotice->isVisible());
    EXPECT_TRUE(f.Widgets().LabNotice->text().startsWith("Sicherung fehlgeschlagen: ")) << f.Widgets().LabNotice->text().toStdString();
    EXPECT_TRUE(f.Widgets().FrameT1->Running()) << "timing goes on";
    ASSERT_TRUE(QDir().mkpath(folder));
    rig.clock.Advance(5120);
    rig.Stop();
    SettleBackup(f);
    EXPECT_FALSE(f.Widgets().LabNotice->isVisible());
    EXPECT_TRUE(FileBytes(seams.paths->BackupFileName).contains("\t5,12\t"));
}

TEST(Backup, TheNextStartRestoresTheProtocolRankedAndTheExitRewritesIt)
{
    MainWindowRig rig;
    TimeRun(rig, 7000);
    TimeRun(rig, 5120);
    const ProtocolRows atExit = rig.form->Protocol()->Rows();
    rig.form.reset();
    rig.Create();
    EXPECT_EQ(rig.form->Protocol()->Rows(), atExit);
    EXPECT_TRUE(rig.form->Widgets().sbSave->isEnabled());
    EXPECT_FALSE(rig.form->Backup()->Scheduled()) << "restoring is no change to back up";
}
