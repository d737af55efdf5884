#include "MainWindowRig.h"
#include "ProbeSerialPorts.h"
#include "TCfgDialog.h"

#include <QComboBox>
#include <QTimer>
#include <gtest/gtest.h>

#include <cerrno>

namespace {

const QString kDenied = QStringLiteral("Lichtschranken nicht verbunden (COM5): keine Berechtigung für /dev/ttyUSB0 - "
                                       "Benutzer in die Gruppe dialout aufnehmen (sudo adduser $USER dialout) und "
                                       "neu anmelden");

QString Notice(const MainWindowRig& rig)
{
    const QLabel* label = rig.form->Widgets().LabNotice;
    return label->isVisibleTo(rig.form.get()) ? label->text() : QString();
}

} // namespace

TEST(DeskDay, TheDesktopIsHeldWhileTheBarrierPortIsOpenOrALaneRunsAndLetGoAtTheEnd)
{
    TAppSettings s;
    s.Port = 5;
    MainWindowRig rig(s);
    ASSERT_TRUE(rig.form->ComPort()->Connected());
    EXPECT_EQ(rig.inhibitor.calls, QStringList{QStringLiteral("Inhibit Zeitnahme läuft")})
        << "the port opened before the desk listened";

    rig.Start();
    rig.clock.Advance(60000);
    rig.Stop();
    EXPECT_EQ(rig.inhibitor.calls.size(), 1) << "the open port holds the desktop throughout";

    rig.form->Port()->Reopen(0); // "Kein"
    EXPECT_EQ(rig.inhibitor.calls.last(), QStringLiteral("Release"));

    rig.Start();
    EXPECT_TRUE(rig.inhibitor.Held()) << "a running lane alone holds it";
    rig.Stop();
    EXPECT_FALSE(rig.inhibitor.Held());

    rig.Start();
    rig.form.reset(); // ends with a lane running
    EXPECT_EQ(rig.inhibitor.calls.size(), 6);
    EXPECT_FALSE(rig.inhibitor.Held());
}

TEST(DeskDay, AMissingPermissionForTheBarrierPortShowsTheDialoutRemedyAtStartAndAfterTheSettings)
{
    // Tests run as root, whom file modes do not stop: the device refuses.
    {
        TAppSettings s;
        s.Port = 5;
        MainWindowRig rig(s, false);
        rig.device->FailOpen(EACCES);
        rig.Create();
        EXPECT_EQ(Notice(rig), kDenied);
        EXPECT_FALSE(rig.inhibitor.Held()) << "a port that is not open holds nothing";
    }
    MainWindowRig rig;
    rig.ports = AddAvailablePort(0, 5);
    rig.device->FailOpen(EPERM);
    QTimer::singleShot(0, rig.form.get(), [&rig] {
        TCfgDialog& dialog = *rig.form->CfgDialog();
        dialog.cbPort->setCurrentIndex(dialog.cbPort->findText(QStringLiteral("COM5")));
        dialog.accept();
    });
    rig.form->bCFGClick();
    ASSERT_TRUE(rig.form->Port()->ReopenTimer()->isActive());
    rig.form->Port()->ReopenTimer()->stop();
    rig.form->Port()->TimerPortReopenTimer(); // the reopen pause is over
    EXPECT_EQ(Notice(rig), kDenied);
}
