#include "SerialAdapter.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;

namespace {

// A sysfs tree as the kernel lays it out: the tty's device link, the device
// directories above it, and their driver links.
struct FakeSysfs
{
    FakeSysfs()
        : root(dir.path().toStdString())
    {
    }

    // tty "name" whose device path is `devices` (below /devices), each
    // directory of it with the driver of the same position ("" for none).
    void AddTty(const std::string& name, const std::vector<std::string>& devices,
                const std::vector<std::string>& drivers)
    {
        fs::path dev = root / "devices";
        for (std::size_t i = 0; i < devices.size(); ++i) {
            dev /= devices[i];
            fs::create_directories(dev);
            if (!drivers[i].empty()) {
                fs::create_directories(root / "bus/x/drivers" / drivers[i]);
                fs::create_symlink(root / "bus/x/drivers" / drivers[i], dev / "driver");
            }
        }
        fs::create_directories(root / "class/tty" / name);
        fs::create_symlink(dev, root / "class/tty" / name / "device");
    }

    QTemporaryDir dir;
    fs::path root;
};

} // namespace

TEST(SerialAdapter, TheTtysDriverIsFoundAboveTheSerialCore)
{
    FakeSysfs sys;
    sys.AddTty("ttyUSB0", {"pci0", "usb1", "1-1", "ttyUSB0"}, {"", "usb", "usb", "ftdi_sio"});
    sys.AddTty("ttyS0", {"pnp0", "00:00", "00:00:0", "00:00:0.0"}, {"", "serial", "ctrl", "port"});
    sys.AddTty("ttyACM0", {"pci0", "usb2", "2-1:1.0"}, {"", "usb", "cdc_acm"});
    sys.AddTty("ttyX9", {"virtual", "ttyX9"}, {"", ""});
    // A by-id name links to the node; the node itself need not be a device.
    const fs::path dev = sys.root / "dev";
    fs::create_directories(dev / "serial");
    std::ofstream(dev / "ttyUSB0").put('x');
    fs::create_symlink(dev / "ttyUSB0", dev / "serial/usb-Adapter");

    struct Case { std::string path; std::string driver; AdapterLines lines; };
    const Case cases[] = {
        {(dev / "ttyUSB0").string(), "ftdi_sio", AdapterLines::WaitAndCount},
        {(dev / "serial/usb-Adapter").string(), "ftdi_sio", AdapterLines::WaitAndCount},
        {"/dev/ttyS0", "serial", AdapterLines::WaitAndCount},
        {"/dev/ttyACM0", "cdc_acm", AdapterLines::NoCts},
        {"/dev/ttyX9", "", AdapterLines::Unknown},
        {"/dev/ttyUSB7", "", AdapterLines::Unknown},
        {"", "", AdapterLines::Unknown},
    };
    for (const Case& c : cases) {
        const SerialAdapter adapter = FindSerialAdapter(c.path, sys.root.string());
        EXPECT_EQ(adapter.driver, c.driver) << c.path;
        EXPECT_EQ(adapter.lines, c.lines) << c.path;
    }
}

TEST(SerialAdapter, DriversAreJudgedByWhatBarriersNeed)
{
    struct Case { std::string driver; AdapterLines lines; const char* description; };
    const Case cases[] = {
        {"ftdi_sio", AdapterLines::WaitAndCount, "ftdi_sio: wartet auf Leitungswechsel und zählt sie"},
        {"serial8250", AdapterLines::WaitAndCount, "serial8250: wartet auf Leitungswechsel und zählt sie"},
        {"pl2303", AdapterLines::WaitOnly, "pl2303: wartet auf Leitungswechsel, zählt sie aber nicht "
                                           "(sehr kurze Impulse können verschmelzen)"},
        {"ch341", AdapterLines::WaitOnly, nullptr},
        {"cp210x", AdapterLines::Polled, "cp210x: kann nicht warten, die Leitungen werden jede Millisekunde gelesen"},
        {"cdc_acm", AdapterLines::NoCts, "cdc_acm: meldet CTS nie (STOPP an Pin 7-8 kann nicht auslösen)"},
        {"", AdapterLines::Unknown, "Treiber unbekannt: Verhalten der Leitungen unbekannt"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(LinesOfDriver(c.driver), c.lines) << c.driver;
        if (c.description) {
            EXPECT_EQ(AdapterDescription({c.driver, c.lines}).toStdString(), c.description);
        }
    }
}

TEST(SerialAdapter, OnlyCdcAcmOutsideRundenModeGetsAWiringWarning)
{
    const SerialAdapter acm{"cdc_acm", AdapterLines::NoCts};
    EXPECT_EQ(BarrierWiringWarning(acm, QStringLiteral("COM13"), false).toStdString(),
              "Achtung: Der Adapter an COM13 (cdc_acm) meldet CTS nie - die STOPP-Lichtschranke an Pin 7-8 "
              "kann nicht auslösen. Runden-Modus (START&STOPP an 4-6) oder einen anderen Adapter verwenden.");
    EXPECT_EQ(BarrierWiringWarning(acm, QStringLiteral("COM13"), true), QString());
    for (AdapterLines lines : {AdapterLines::WaitAndCount, AdapterLines::WaitOnly, AdapterLines::Polled,
                               AdapterLines::Unknown})
        EXPECT_EQ(BarrierWiringWarning({"x", lines}, QStringLiteral("COM5"), false), QString());
}
