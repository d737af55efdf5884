#include "MainWindowRig.h"

#include "LiveLink.h"
#include "LiveSettingsDialog.h"
#include "TFormMonitor2.h"

#include <QApplication>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

// While the live results are served the desk shows where phones reach them,
// whole below the run buttons even in the smallest window; the spectator
// window shows the code only when the operator asked for it.
TEST(LiveOnDesk, TheAddressAndItsCodeShowWhileServedAndOnTheSpectatorWindowAsChosen)
{
    MainWindowRig rig;
    TFormMain& f = *rig.form;
    f.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&f));
    const LiveLink& link = *f.Widgets().PanelLive;
    const TFormMonitor2& monitor = *f.FormMonitor2();
    EXPECT_FALSE(link.isVisibleTo(&f)) << "off by default";

    TAppSettings s = f.Settings();
    s.LiveAddress = QStringLiteral("127.0.0.1");
    s.LivePort = 0; // any free port
    const struct
    {
        const char* name;
        bool served;
        bool forSpectators;
    } steps[] = {
        {"served", true, false},
        {"served, code for the spectators", true, true},
        {"served, code taken off again", true, false},
        {"stopped", false, true},
    };
    for (const auto& step : steps) {
        s.LiveResults = step.served;
        s.LiveQrSpectator = step.forSpectators;
        f.ApplySettings(s);
        QCoreApplication::processEvents();
        EXPECT_EQ(link.isVisibleTo(&f), step.served) << step.name;
        EXPECT_EQ(monitor.LabCode->isVisibleTo(&monitor), step.served && step.forSpectators) << step.name;
        if (!step.served)
            continue;
        EXPECT_TRUE(link.text->text().startsWith(QStringLiteral("Live: http://127.0.0.1:"))) << step.name;
        EXPECT_FALSE(link.code->pixmap().isNull()) << step.name;
        const QWidget* panel = f.Widgets().PanelLeft;
        EXPECT_GT(link.geometry().top(), f.Widgets().bAVARIA->geometry().bottom()) << step.name;
        EXPECT_LE(link.geometry().bottom(), panel->height() - 1) << step.name << ": whole at " << f.height();
    }
}

TEST(LiveOnDesk, AClickOnTheAddressOpensTheLiveDialog)
{
    MainWindowRig rig;
    TFormMain& f = *rig.form;
    TAppSettings s = f.Settings();
    s.LiveResults = true;
    s.LiveAddress = QStringLiteral("127.0.0.1");
    s.LivePort = 0;
    f.ApplySettings(s);
    f.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&f));
    QString shown;
    QTimer::singleShot(0, &f, [&shown] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* dialog = qobject_cast<LiveSettingsDialog*>(w); dialog && dialog->isVisible()) {
                shown = dialog->served->text();
                dialog->reject();
            }
    });
    QTest::mouseClick(f.Widgets().PanelLive, Qt::LeftButton);
    EXPECT_TRUE(shown.contains(f.Widgets().PanelLive->Address())) << shown.toStdString();
}
