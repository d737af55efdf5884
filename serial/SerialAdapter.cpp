#include "SerialAdapter.h"

#include <filesystem>
#include <fstream>
#include <system_error>

namespace fs = std::filesystem;

std::string TtyDriver(const std::string& devicePath, const std::string& sysfsRoot)
{
    std::error_code error;
    // /dev/serial/by-id/... names link to the tty node.
    const fs::path node = fs::weakly_canonical(devicePath, error);
    if (error)
        return {};
    const fs::path devices = fs::weakly_canonical(fs::path(sysfsRoot) / "devices", error);
    fs::path dir = fs::canonical(fs::path(sysfsRoot) / "class/tty" / node.filename() / "device", error);
    if (error)
        return {};
    // Newer kernels put the serial core's port and controller devices
    // between the tty and the UART or USB interface that drives it.
    for (; !dir.empty() && dir != devices && dir != dir.root_path(); dir = dir.parent_path()) {
        const fs::path driver = fs::read_symlink(dir / "driver", error);
        if (error)
            continue;
        const std::string name = driver.filename().string();
        if (name != "port" && name != "ctrl")
            return name;
    }
    return {};
}

AdapterLines LinesOfDriver(const std::string& driver)
{
    if (driver == "ftdi_sio" || driver == "serial" || driver.starts_with("serial8250") ||
        driver.find("8250") != std::string::npos)
        return AdapterLines::WaitAndCount;
    if (driver == "pl2303" || driver == "ch341" || driver == "ch341-uart")
        return AdapterLines::WaitOnly;
    if (driver == "cp210x")
        return AdapterLines::Polled;
    if (driver == "cdc_acm")
        return AdapterLines::NoCts;
    return AdapterLines::Unknown;
}

namespace {

int LatencyTimer(const std::string& devicePath, const std::string& sysfsRoot)
{
    std::error_code error;
    const fs::path node = fs::weakly_canonical(devicePath, error);
    if (error)
        return -1;
    std::ifstream file(fs::path(sysfsRoot) / "class/tty" / node.filename() / "device/latency_timer");
    int ms = -1;
    if (!(file >> ms) || ms < 0)
        return -1;
    return ms;
}

} // namespace

SerialAdapter FindSerialAdapter(const std::string& devicePath, const std::string& sysfsRoot)
{
    SerialAdapter adapter;
    adapter.driver = TtyDriver(devicePath, sysfsRoot);
    adapter.lines = LinesOfDriver(adapter.driver);
    adapter.latencyTimerMs = LatencyTimer(devicePath, sysfsRoot);
    return adapter;
}

QString AdapterLatency(const SerialAdapter& adapter)
{
    if (adapter.latencyTimerMs < 0)
        return {};
    return QStringLiteral("Latenz-Timer: %1 ms").arg(adapter.latencyTimerMs);
}

QString AdapterDescription(const SerialAdapter& adapter)
{
    const QString driver =
        adapter.driver.empty() ? QStringLiteral("Treiber unbekannt") : QString::fromStdString(adapter.driver);
    switch (adapter.lines) {
    case AdapterLines::WaitAndCount:
        return driver + QStringLiteral(": wartet auf Leitungswechsel und zählt sie");
    case AdapterLines::WaitOnly:
        return driver + QStringLiteral(": wartet auf Leitungswechsel, zählt sie aber nicht "
                                       "(sehr kurze Impulse können verschmelzen)");
    case AdapterLines::Polled:
        return driver + QStringLiteral(": kann nicht warten, die Leitungen werden jede Millisekunde gelesen");
    case AdapterLines::NoCts:
        return driver + QStringLiteral(": meldet CTS nie (STOPP an Pin 7-8 kann nicht auslösen)");
    case AdapterLines::Unknown:
        break;
    }
    return driver + QStringLiteral(": Verhalten der Leitungen unbekannt");
}

QString BarrierWiringWarning(const SerialAdapter& adapter, const QString& portName, bool runden)
{
    if (adapter.lines != AdapterLines::NoCts || runden)
        return {};
    return QStringLiteral("Achtung: Der Adapter an %1 (%2) meldet CTS nie - die STOPP-Lichtschranke "
                          "an Pin 7-8 kann nicht auslösen. Runden-Modus (START&STOPP an 4-6) oder "
                          "einen anderen Adapter verwenden.")
        .arg(portName, QString::fromStdString(adapter.driver));
}
