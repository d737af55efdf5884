#include "DatePanelText.h"
#include "DeskLogo.h"
#include "HiddenMenu.h"
#include "TLbSpeedButton.h"
#include "MainWindowRig.h"
#include "ProtocolFileCommands.h"
#include "TCfgDialog.h"
#include "TFDlgYesNo.h"
#include "TFormMonitor2.h"
#include "THelpWindow.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

// The window shown and active, so the keys reach the program as the
// operator's keyboard would.
void Activate(QWidget* window)
{
    window->show();
    QApplication::setActiveWindow(window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
}

QString HelpText(const TFormMain& f)
{
    return f.HelpWindow() ? f.HelpWindow()->Browser->toPlainText() : QStringLiteral("<no help window>");
}

} // namespace

TEST(Keys, AtStartUp)
{
    const struct {
        const char* what;
        QKeyCombination key;
        bool withRun; // one timed run in the protocol, its row selected
        const char* expected;
    } cases[] = {
        {"F5 starts at once", Qt::Key_F5, false, "lane1 on, asked ''"},
        {"F9 before any START does nothing", Qt::Key_F9, false, "lane1 off, asked ''"},
        {"F8 on an empty protocol still asks", Qt::Key_F8, false, "lane1 off, asked 'Zeitenprotokoll  löschen?'"},
        {"Ctrl+0 deletes without a question", Qt::CTRL | Qt::Key_0, true, "lane1 off, asked '', row 1 gone"},
    };
    for (const auto& c : cases) {
        MainWindowRig rig;
        TFormMain& f = *rig.form;
        QString asked;
        f.FileCommands()->Ask = [&](const QString& question) {
            asked = question;
            return false;
        };
        if (c.withRun) {
            rig.Start();
            rig.clock.Advance(5120);
            rig.Stop();
            f.Widgets().SortGrid1->SelectRow(1);
        }
        Activate(&f);
        QTest::keyClick(&f, c.key.key(), c.key.keyboardModifiers());
        QString result = QStringLiteral("lane1 %1, asked '%2'").arg(f.Widgets().FrameT1->Running() ? "on" : "off", asked);
        if (c.withRun && rig.RowOf("1") == "<none>")
            result += ", row 1 gone";
        EXPECT_EQ(result, c.expected) << c.what;
        if (!c.withRun) {
            EXPECT_EQ(f.Runs()->StopLane(), 0) << c.what;
        }
    }
}

TEST(Keys, TheHiddenMenuHoldsEveryCommandInMenuOrder)
{
    MainWindowRig rig;
    QStringList items;
    for (const QAction* a : rig.form->Widgets().HideMenu1->actions()) {
        items << (a->isSeparator() ? QStringLiteral("-")
                                   : QStringLiteral("%1 '%2' %3 %4")
                                         .arg(a->objectName(), a->text(), a->shortcut().toString(),
                                              a->isEnabled() ? "on" : "off"));
    }
    const QStringList expected = {
        "mStart 'Start' F5 on", "mStop 'Stopp' F9 off", "mReset '0,00' F7 off", "mAvaria 'Unfall' F11 off", "-",
        "New1 'New' F8 on", "-",
        "Modus1 'Modus' Ctrl+M on", "Hilfe1 'H&ilfe' Alt+I on", "EinstellunGen1 'Einstellungen' F2 on",
        "mHilfe 'Hilfe' F1 on", "mInfo 'Info' F3 on", "-",
        "Zeileentfernen1 'Zeile entfernen' Ctrl+0 on", "LockLS 'Lock LS' F12 on",
    };
    EXPECT_EQ(items, expected);
    EXPECT_FALSE(rig.form->Widgets().HideMenu1->isVisible());
}

TEST(Keys, ReachTheDeskFromTheSpectatorAndHelpWindows)
{
    MainWindowRig rig;
    TFormMain& f = *rig.form;
    Activate(&f);
    QTest::keyClick(&f, Qt::Key_M, Qt::ControlModifier);
    TFormMonitor2* monitor = f.FormMonitor2();
    ASSERT_TRUE(monitor->isVisible());
    Activate(monitor);

    QTest::keyClick(monitor, Qt::Key_F5);
    EXPECT_TRUE(f.Widgets().FrameT1->Running()) << "F5 in the spectator window";
    rig.clock.Advance(3000);
    QTest::keyClick(monitor, Qt::Key_F9);
    EXPECT_EQ(rig.RowOf("1").section('|', 3, 3), "3,00") << "F9 in the spectator window";
    QTest::keyClick(monitor, Qt::Key_F7);
    EXPECT_EQ(f.Widgets().FrameT1->editStartN1->value(), 3) << "F7 in the spectator window";

    QTest::keyClick(monitor, Qt::Key_F1);
    ASSERT_TRUE(f.HelpWindow() && f.HelpWindow()->isVisible());
    Activate(f.HelpWindow());
    QTest::keyClick(f.HelpWindow()->Browser, Qt::Key_F5);
    EXPECT_TRUE(f.Widgets().FrameT2->Running()) << "F5 in the help window starts the next lane";
}

TEST(Keys, AModalDialogBlocksThemInEveryWindow)
{
    for (const bool settingsDialog : {false, true}) {
        MainWindowRig rig;
        TFormMain& f = *rig.form;
        Activate(&f);
        f.Widgets().Modus1->trigger();
        Activate(f.FormMonitor2());
        bool runningWhileOpen = true;
        QTimer::singleShot(0, &f, [&] {
            QDialog* dialog = settingsDialog ? static_cast<QDialog*>(f.CfgDialog()) : f.FDlgYesNo();
            ASSERT_TRUE(dialog->isVisible());
            QTest::keyClick(f.FormMonitor2(), Qt::Key_F5);
            QTest::keyClick(&f, Qt::Key_F5);
            runningWhileOpen = f.Widgets().FrameT1->Running();
            dialog->reject();
        });
        if (settingsDialog)
            f.bCFGClick();
        else
            f.FDlgYesNo()->Ask(QStringLiteral("Zeitenprotokoll  löschen?"));
        EXPECT_FALSE(runningWhileOpen) << (settingsDialog ? "settings" : "yes/no");
        Activate(f.FormMonitor2());
        QTest::keyClick(f.FormMonitor2(), Qt::Key_F5);
        EXPECT_TRUE(f.Widgets().FrameT1->Running()) << "the keys work again once the dialog is closed";
    }
}

TEST(DatePanel, ShortDateThreeBlanksShortTimeAtStartUpAndEveryTick)
{
    const QDateTime evening(QDate(2026, 12, 6), QTime(21, 3, 57));
    const struct {
        QLocale locale;
        const char* expected;
    } locales[] = {
        {QLocale(QLocale::English, QLocale::UnitedKingdom), "06/12/2026   21:03"},
        {QLocale(QLocale::English, QLocale::UnitedStates), "12/6/2026   9:03 PM"}, // two-digit year widened
        {QLocale::c(), "6 Dec 2026   21:03"}, // a short time with seconds loses them
    };
    for (const auto& l : locales)
        EXPECT_EQ(DatePanelText(evening, l.locale), l.expected) << l.locale.name().toStdString();

    MainWindowRig rig(TAppSettings(), false);
    rig.clock.now = evening;
    rig.Create();
    TFormMain& f = *rig.form;
    EXPECT_EQ(f.Widgets().PanelDate->text(), "06.12.2026   21:03") << "filled at start-up, in the German locale";
    EXPECT_TRUE(f.Widgets().TimerDate->isActive());
    EXPECT_EQ(f.Widgets().TimerDate->interval(), 3000) << "due when the next minute begins";
    rig.clock.Advance(3000);
    ASSERT_TRUE(QMetaObject::invokeMethod(f.Widgets().TimerDate, "timeout"));
    EXPECT_EQ(f.Widgets().PanelDate->text(), "06.12.2026   21:04") << "the new minute within one tick";
    EXPECT_TRUE(f.Widgets().TimerDate->isActive());
    EXPECT_EQ(f.Widgets().TimerDate->interval(), 60000) << "then once a minute, not every few seconds";
    rig.clock.Advance(59990); // a timer that came a little early
    ASSERT_TRUE(QMetaObject::invokeMethod(f.Widgets().TimerDate, "timeout"));
    EXPECT_EQ(f.Widgets().PanelDate->text(), "06.12.2026   21:04");
    EXPECT_EQ(f.Widgets().TimerDate->interval(), 10);
}

TEST(Help, OwnWindowNotModalKeepsItsSizeAndTellsWhenTheFileIsMissing)
{
    MainWindowRig rig;
    TFormMain& f = *rig.form;
    Activate(&f);
    QTest::keyClick(&f, Qt::Key_F1);
    EXPECT_TRUE(HelpText(f).contains("nicht gefunden")) << HelpText(f).toStdString();
    EXPECT_TRUE(HelpText(f).contains(f.Paths().HelpFilePath));

    QFile file(f.Paths().HelpFilePath);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("<html><body><h1>Hilfe für die Zeitnahme</h1></body></html>");
    file.close();
    f.HelpWindow()->close();
    THelpWindow* window = f.HelpWindow();
    window->resize(500, 420);
    QTest::keyClick(&f, Qt::Key_I, Qt::AltModifier);
    EXPECT_EQ(f.HelpWindow(), window) << "one help window while the program runs";
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->windowModality(), Qt::NonModal);
    EXPECT_EQ(window->size(), QSize(500, 420));
    EXPECT_EQ(HelpText(f), "Hilfe für die Zeitnahme");
}

TEST(Help, TheShippedHelpLiesBesideTheProgramAndNamesEveryKey)
{
    QFile file(QFileInfo(QStringLiteral(RAVOLT_BINARY)).dir().filePath(QStringLiteral("ravolt-hilfe.html")));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << "the build copies the help beside the program";
    const QString html = QString::fromUtf8(file.readAll());
    for (const char* needle : {"F1", "F2", "F3", "F5", "F7", "F8", "F9", "F11", "F12", "Strg+M", "Strg+0", "Alt+I",
                               "4 und 6", "7 und 8", "/dev/ttyUSB0", "dialout", "Ravolt-Sicherungsdatei.txt",
                               "Runden", "UNFALL", "F4", "F6", "Starterliste", "Veranstaltungen/", "Pylonen",
                               "n.g.", "DNF", "DNS", "Strg+Z", "Spalten zuordnen", "offiziell", "beiseite",
                               "Am Veranstaltungstag", "Ruhezustand", "sudo adduser $USER dialout", "Journal/"})
        EXPECT_TRUE(html.contains(QLatin1String(needle))) << needle;
}

TEST(InfoAndLogo, InfoBoxAndTheMakersPage)
{
    MainWindowRig rig;
    TFormMain& f = *rig.form;
    QStringList shown;
    f.ShowInfo = [&](const QString& caption, const QString& text) { shown << caption << text; };
    Activate(&f);
    QTest::keyClick(&f, Qt::Key_F3);
    ASSERT_EQ(shown.size(), 2);
    EXPECT_EQ(shown[0], "Info");
    EXPECT_TRUE(shown[1].startsWith("Ravolt 2.4\n")) << shown[1].toStdString();
    EXPECT_TRUE(shown[1].contains("example.org"));

    Q_EMIT f.Widgets().bInfo->Clicked();
    EXPECT_EQ(shown.size(), 4) << "the info button shows the same box";

    QTest::mouseClick(f.Widgets().ImageDE, Qt::LeftButton);
    EXPECT_EQ(rig.shell.calls, QStringList{"address https://www.example.org/"});
    Q_EMIT f.Widgets().bHelp->Clicked();
    EXPECT_TRUE(f.HelpWindow() && f.HelpWindow()->isVisible());
}
