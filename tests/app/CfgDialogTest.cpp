#include "MainWindowRig.h"
#include "ProbeSerialPorts.h"
#include "TCfgDialog.h"
#include "TFormMonitor2.h"
#include "TImage.h"
#include "TSpinFloatEdit.h"

#include <QCheckBox>
#include <QTemporaryDir>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include <filesystem>
#include <fstream>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

constexpr std::uint32_t DSR = 0x20;

std::uint32_t Ports(std::initializer_list<int> ports)
{
    std::uint32_t available = 0;
    for (const int n : ports)
        available = AddAvailablePort(available, std::uint8_t(n));
    return available;
}

QStringList Items(const QComboBox& box)
{
    QStringList items;
    for (int i = 0; i < box.count(); ++i)
        items << box.itemText(i);
    return items;
}

TAppSettings WithPort(std::uint8_t port)
{
    TAppSettings s;
    s.Port = port;
    return s;
}

// Runs action while the dialog opened by bCFGClick is on screen; the
// action ends it with OK or Cancel (or it is cancelled afterwards).
void WhileOpen(MainWindowRig& rig, const std::function<void(TCfgDialog&)>& action)
{
    QTimer::singleShot(0, rig.form.get(), [&rig, &action] {
        TCfgDialog& dialog = *rig.form->CfgDialog();
        ASSERT_TRUE(dialog.isVisible());
        action(dialog);
        if (dialog.isVisible())
            dialog.reject();
    });
    rig.form->bCFGClick();
}

} // namespace

TEST(CfgDialog, PortListFromTheProbeWithEachDevicePath)
{
    struct Case
    {
        std::uint32_t available;
        std::uint8_t port;
        QStringList items;
        QString selected;
        std::uint8_t portOnOk;
    };
    const Case cases[] = {
        {0, 3, {"Kein"}, "Kein", 0},
        {Ports({1, 3}), 3, {"Kein", "COM1", "COM3"}, "COM3", 3},
        {Ports({1, 3}), 2, {"Kein", "COM1", "COM3"}, "Kein", 0},
        {Ports({12}), 12, {"Kein", "COM12"}, "COM12", 12},
    };
    for (const Case& c : cases) {
        TCfgDialog dialog(nullptr);
        TAppSettings s = WithPort(c.port);
        s.Alg = 1;
        dialog.Fill(s, c.available);
        EXPECT_EQ(Items(*dialog.cbPort), c.items);
        EXPECT_EQ(dialog.cbPort->currentText(), c.selected);
        EXPECT_EQ(dialog.cbAlg->isEnabled(), c.selected != "Kein");
        EXPECT_EQ(dialog.cbAlg->currentText(), "Aus");
        EXPECT_EQ(dialog.Chosen(s).Port, c.portOnOk);
    }
    TCfgDialog dialog(nullptr);
    dialog.Fill({}, Ports({3, 12}));
    EXPECT_EQ(dialog.cbPort->itemData(1, Qt::ToolTipRole).toString().section('\n', 0, 0), "/dev/ttyS2");
    EXPECT_EQ(dialog.cbPort->itemData(2, Qt::ToolTipRole).toString().section('\n', 0, 0), "/dev/ttyUSB7");
}

TEST(CfgDialog, PortsThisUserMayNotOpenAreNamedWithTheDialoutRemedy)
{
    const QString remedy = QStringLiteral(" - Benutzer in die Gruppe dialout aufnehmen (sudo adduser $USER dialout) "
                                          "und neu anmelden");
    struct Case
    {
        std::uint32_t denied;
        QString shown;
    };
    const Case cases[] = {
        {0, QString()},
        {1u << 4, QStringLiteral("COM5: keine Berechtigung für /dev/ttyUSB0") + remedy},
        {1u | 1u << 4, QStringLiteral("COM1, COM5: keine Berechtigung für /dev/ttyS0, /dev/ttyUSB0") + remedy},
    };
    for (const Case& c : cases) {
        TCfgDialog dialog(nullptr);
        dialog.DeniedPorts = [&c] { return c.denied; };
        dialog.Fill({}, 0);
        EXPECT_EQ(dialog.LabDenied->text(), c.shown);
        EXPECT_EQ(dialog.LabDenied->isVisibleTo(&dialog), !c.shown.isEmpty());
    }
}

TEST(CfgDialog, APortsTooltipNamesItsDriverAndLatencyAndWarnsWhereTheStopBarrierCannotWork)
{
    // latency: what the adapter's latency_timer holds (FTDI only).
    struct Case { const char* driver; bool runden; const char* described; bool warned; const char* latency; };
    const Case cases[] = {
        {"ftdi_sio", false, "ftdi_sio: wartet auf Leitungswechsel und zählt sie", false, "16"},
        {"cdc_acm", false, "cdc_acm: meldet CTS nie", true, nullptr},
        {"cdc_acm", true, "cdc_acm: meldet CTS nie", false, nullptr},
    };
    for (const Case& c : cases) {
        // COM5 is ttyUSB0; its device directory carries the driver link.
        QTemporaryDir sys;
        const std::filesystem::path root = sys.path().toStdString();
        std::filesystem::create_directories(root / "devices/usb1/ttyUSB0");
        std::filesystem::create_directories(root / "bus/usb/drivers" / c.driver);
        std::filesystem::create_symlink(root / "bus/usb/drivers" / c.driver, root / "devices/usb1/driver");
        std::filesystem::create_directories(root / "class/tty/ttyUSB0");
        std::filesystem::create_symlink(root / "devices/usb1/ttyUSB0", root / "class/tty/ttyUSB0/device");
        if (c.latency)
            std::ofstream(root / "devices/usb1/ttyUSB0/latency_timer") << c.latency << '\n';

        TCfgDialog dialog(nullptr);
        dialog.SysfsRoot = root.string();
        TAppSettings s = WithPort(5);
        s.Runden = c.runden;
        dialog.Fill(s, Ports({5}));
        const QString hint = dialog.cbPort->itemData(1, Qt::ToolTipRole).toString();
        EXPECT_TRUE(hint.startsWith(QStringLiteral("/dev/ttyUSB0\n") + QString::fromUtf8(c.described)))
            << hint.toStdString();
        EXPECT_EQ(hint.contains(QStringLiteral("Achtung: Der Adapter an COM5")), c.warned) << hint.toStdString();
        EXPECT_EQ(hint.contains(QStringLiteral("\nLatenz-Timer: 16 ms")), c.latency != nullptr) << hint.toStdString();
        // The hint follows the mode while the dialog is open.
        dialog.cbRunden->setChecked(!c.runden);
        EXPECT_EQ(dialog.cbPort->itemData(1, Qt::ToolTipRole).toString().contains(QStringLiteral("Achtung")),
                  c.driver == std::string("cdc_acm") && c.runden)
            << c.driver;
    }
}

TEST(CfgDialog, FieldsConvertToMetresAndMilliseconds)
{
    TCfgDialog dialog(nullptr);
    TAppSettings s;
    s.Length = 0;
    dialog.FormCreate(s);
    EXPECT_EQ(s.Length, 1000) << "no stored length gives the field's 1,00 km";
    s.WaitStart = 2500;
    dialog.Fill(s, 0);
    EXPECT_EQ(dialog.sfeLen->text(), "1,00");
    EXPECT_EQ(dialog.seWait->text(), "2,5");
    EXPECT_EQ(dialog.seWait->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignLeft);
    struct Case
    {
        const char* length;
        const char* lockout;
        int metres, ms;
    };
    for (const Case& c : {Case{"1,00", "2,5", 1000, 2500}, {"0,75", "600,0", 750, 600000}, {"-0", "0", 100, 0},
                          {"0,0", ",", 100, 0}, {"", "-", 100, 0}, {"999", "0,1", 999000, 100}}) {
        dialog.sfeLen->setText(QString::fromUtf8(c.length));
        dialog.seWait->setText(QString::fromUtf8(c.lockout));
        const TAppSettings chosen = dialog.Chosen(s);
        EXPECT_EQ(chosen.Length, c.metres) << c.length;
        EXPECT_EQ(chosen.WaitStart, c.ms) << c.lockout;
    }
}

TEST(CfgDialog, MonitorListAndPortHint)
{
    TCfgDialog dialog(nullptr);
    TAppSettings s;
    s.Monitor = 1;
    dialog.Fill(s, 0);
    dialog.FormShow(); // the test platform has one screen
    EXPECT_EQ(Items(*dialog.cbMonitor), QStringList{"Default"});
    EXPECT_FALSE(dialog.cbMonitor->isEnabled());
    EXPECT_FALSE(dialog.LabMonitor->isEnabled());
    EXPECT_EQ(dialog.Chosen(s).Monitor, 0);

    const QList<QRect> two{QRect(0, 0, 1280, 1024), QRect(1280, 0, 1024, 768)};
    dialog.FillMonitors(two, 1);
    EXPECT_EQ(Items(*dialog.cbMonitor), (QStringList{"0=(0,0)-(1280,1024)", "1=(1280,0)-(1024,768)"}));
    EXPECT_TRUE(dialog.cbMonitor->isEnabled());
    EXPECT_EQ(dialog.Chosen(s).Monitor, 1);
    dialog.FillMonitors(two, 2);
    EXPECT_EQ(dialog.Chosen(s).Monitor, 0) << "an unplugged monitor falls back to the first";

    EXPECT_EQ(dialog.cbPort->toolTip(), "START (4-6), STOPP (7-8)");
    dialog.cbRunden->click();
    EXPECT_EQ(dialog.cbPort->toolTip(), "START&STOPP (4-6)");
    dialog.cbRunden->click();
    EXPECT_EQ(dialog.cbPort->toolTip(), "START (4-6), STOPP (7-8)");
}

TEST(CfgDialog, OnlyThePortChoiceGatesLockoutAndRunden)
{
    TCfgDialog dialog(nullptr);
    TAppSettings s = WithPort(1);
    dialog.Fill(s, Ports({1}));
    dialog.cbPort->setCurrentIndex(0);
    Q_EMIT dialog.cbPort->activated(0);
    EXPECT_FALSE(dialog.cbAlg->isEnabled());
    EXPECT_FALSE(dialog.seWait->isEnabled());
    EXPECT_FALSE(dialog.cbRunden->isEnabled());
    dialog.Fill(s, Ports({1}));
    EXPECT_TRUE(dialog.cbAlg->isEnabled()) << "the algorithm follows the port at every opening";
    EXPECT_FALSE(dialog.seWait->isEnabled()) << "only a port choice changes the lockout's state";
    EXPECT_FALSE(dialog.cbRunden->isEnabled());
    dialog.cbPort->setCurrentIndex(1);
    Q_EMIT dialog.cbPort->activated(1);
    EXPECT_TRUE(dialog.seWait->isEnabled());
    EXPECT_TRUE(dialog.cbRunden->isEnabled());
    dialog.Fill(WithPort(0), Ports({1}));
    EXPECT_FALSE(dialog.cbAlg->isEnabled());
    EXPECT_TRUE(dialog.seWait->isEnabled()) << "opening on \"Kein\" leaves them as the last choice left them";
    EXPECT_TRUE(dialog.cbRunden->isEnabled());
}

TEST(CfgDialog, F2OpensTheDialogCentredOverTheMainWindow)
{
    MainWindowRig rig;
    rig.form->setGeometry(100, 100, 800, 500);
    rig.form->show();
    EXPECT_EQ(rig.form->Widgets().EinstellunGen1->shortcut(), QKeySequence(Qt::Key_F2));
    EXPECT_EQ(rig.form->Widgets().EinstellunGen1->text(), "Einstellungen");
    bool opened = false;
    QTimer::singleShot(0, rig.form.get(), [&] {
        TCfgDialog* dialog = rig.form->CfgDialog();
        ASSERT_TRUE(dialog && dialog->isVisible());
        opened = true;
        EXPECT_EQ(dialog->windowTitle(), "Einstellungen");
        EXPECT_EQ(dialog->minimumSize(), dialog->maximumSize()) << "a fixed frame";
        EXPECT_FALSE(dialog->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
        const QPoint offset = dialog->geometry().center() - rig.form->geometry().center();
        EXPECT_LE(offset.manhattanLength(), 40);
        dialog->reject();
    });
    rig.form->Widgets().EinstellunGen1->trigger();
    EXPECT_TRUE(opened);
    EXPECT_EQ(rig.form->focusWidget(), rig.form->Widgets().PanelLeft);
}

TEST(CfgDialog, OkAppliesEverySettingAndReopensThePortAfterAPause)
{
    TAppSettings before = WithPort(1);
    MainWindowRig rig(before);
    ASSERT_TRUE(rig.form->ComPort()->Connected());
    WhileOpen(rig, [](TCfgDialog& d) {
        EXPECT_EQ(Items(*d.cbPort), (QStringList{"Kein", "COM1"})) << "the port held open is listed";
        d.eTitle->setText(QStringLiteral("Bergrennen"));
        d.cbManyStart->setChecked(true);
        d.sfeLen->setText(QStringLiteral("0,75"));
        d.seWait->setText(QStringLiteral("2,5"));
        d.cbRunden->setChecked(true);
        d.cbAlg->setCurrentIndex(1);
        d.OKBtn->click();
    });
    const TAppSettings& s = rig.form->Settings();
    EXPECT_EQ(s.Title, "Bergrennen");
    EXPECT_EQ(rig.form->FormMonitor2()->Title(), "Bergrennen");
    EXPECT_TRUE(s.ManyStart);
    EXPECT_EQ(s.Length, 750);
    EXPECT_EQ(rig.form->Barrier()->WaitStart(), 2500);
    EXPECT_TRUE(s.Runden);
    EXPECT_EQ(rig.form->Widgets().FrameT2->Label1->text(), "Best:");
    EXPECT_EQ(s.Port, 1);
    EXPECT_EQ(rig.form->Barrier()->Alg(), 1);
    EXPECT_TRUE(rig.store.writes.contains("Length=int:750")) << "stored at once";
    EXPECT_TRUE(rig.store.writes.contains("Title=str:Bergrennen"));

    EXPECT_FALSE(rig.form->ComPort()->Connected()) << "closed during the pause";
    EXPECT_TRUE(rig.form->Port()->ReopenTimer()->isActive());
    EXPECT_EQ(rig.form->Port()->ReopenTimer()->interval(), 50);
    rig.form->Port()->ReopenTimer()->stop();
    rig.form->Port()->TimerPortReopenTimer(); // the pause is over
    EXPECT_TRUE(rig.form->ComPort()->Connected());
    EXPECT_EQ(rig.device->OpenCount(), 2);

    // The new length counts for the next run: 0,75 km in 5,00 s.
    rig.Start();
    rig.clock.Advance(5000);
    rig.Stop();
    EXPECT_EQ(rig.RowOf("1").section('|', 3, 4), "5,00|540,0");
}

TEST(CfgDialog, CancelAfterChangingEveryFieldChangesNothing)
{
    TAppSettings before = WithPort(1);
    before.Alg = 1;
    before.WaitStart = 1000;
    MainWindowRig rig(before);
    rig.ports = Ports({1, 2});
    WhileOpen(rig, [](TCfgDialog& d) {
        d.eTitle->setText(QStringLiteral("x"));
        d.cbManyStart->setChecked(true);
        d.sfeLen->setText(QStringLiteral("5"));
        d.seWait->setText(QStringLiteral("9"));
        d.cbRunden->setChecked(true);
        d.cbAlg->setCurrentIndex(0);
        d.cbPort->setCurrentIndex(2);
        d.CancelBtn->click();
    });
    const TAppSettings& s = rig.form->Settings();
    EXPECT_EQ(s.Title, before.Title);
    EXPECT_EQ(rig.form->FormMonitor2()->Title(), before.Title);
    EXPECT_FALSE(s.ManyStart);
    EXPECT_EQ(s.Length, 1000);
    EXPECT_EQ(rig.form->Barrier()->WaitStart(), 1000);
    EXPECT_FALSE(s.Runden);
    EXPECT_EQ(rig.form->Widgets().FrameT2->Label1->text().left(10), "Start-Nr.:");
    EXPECT_EQ(s.Port, 1);
    EXPECT_EQ(rig.form->Barrier()->Alg(), 1);
    EXPECT_TRUE(rig.form->ComPort()->Connected());
    EXPECT_EQ(rig.device->OpenCount(), 1) << "the port is not touched";
    EXPECT_TRUE(rig.store.writes.isEmpty());
    EXPECT_FALSE(rig.form->Port()->ReopenTimer()->isActive());
    EXPECT_EQ(rig.form->focusWidget(), rig.form->Widgets().PanelLeft);
}

TEST(CfgDialog, OkWithKeinClosesThePortAndKeepsAlg)
{
    TAppSettings before = WithPort(1);
    before.Alg = 1;
    MainWindowRig rig(before);
    WhileOpen(rig, [](TCfgDialog& d) {
        d.cbPort->setCurrentIndex(0);
        Q_EMIT d.cbPort->activated(0);
        d.sfeLen->setText(QStringLiteral("-0"));
        QTest::keyClick(d.sfeLen, Qt::Key_Return); // Enter in the field is "OK"
    });
    EXPECT_EQ(rig.form->Settings().Length, 100) << "below the minimum gives the minimum";
    EXPECT_FALSE(rig.form->ComPort()->Connected());
    EXPECT_EQ(rig.form->Settings().Port, 0);
    EXPECT_EQ(rig.form->Settings().Alg, 1);
    EXPECT_FALSE(rig.form->Port()->ReopenTimer()->isActive());
    EXPECT_FALSE(rig.form->Widgets().ImageLSstop->isVisibleTo(rig.form.get()));
}

TEST(CfgDialog, APortThatFailsToOpenAtStartUpHidesTheIndicator)
{
    MainWindowRig rig(WithPort(2), false);
    rig.device->FailOpen(2);
    rig.Create();
    EXPECT_FALSE(rig.form->ComPort()->Connected());
    EXPECT_FALSE(rig.form->Widgets().ImageLSstop->isVisibleTo(rig.form.get()));
    EXPECT_EQ(rig.form->Settings().Port, 2) << "kept for the next try";
}

TEST(CfgDialog, ABarrierStartsARunBehindTheOpenDialog)
{
    MainWindowRig rig(WithPort(1));
    bool runningWhileOpen = false;
    WhileOpen(rig, [&](TCfgDialog&) {
        ASSERT_TRUE(rig.Lines(DSR));
        runningWhileOpen = rig.form->Widgets().FrameT1->Running();
    });
    EXPECT_TRUE(runningWhileOpen);
    EXPECT_TRUE(rig.form->Widgets().FrameT1->Running());
}
