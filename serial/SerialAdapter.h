#pragma once

#include <QString>
#include <string>

// What the kernel driver behind a serial line offers the light barriers.
// Drivers differ: some wait for modem-line changes and count them, some
// wait without counting (a pulse shorter than one hand-over can vanish),
// some cannot wait at all (the lines are read every millisecond), and
// cdc-acm never reports CTS, so a STOPP barrier on pins 7-8 never fires.
enum class AdapterLines { WaitAndCount, WaitOnly, Polled, NoCts, Unknown };

struct SerialAdapter
{
    std::string driver; // the kernel driver's name; empty when unknown
    AdapterLines lines = AdapterLines::Unknown;
    // The adapter's latency timer in ms (FTDI: 16, 1 with low latency);
    // -1 where the driver has none.
    int latencyTimerMs = -1;
};

// The driver of the tty at devicePath (symbolic links followed): the first
// driver above <sysfsRoot>/class/tty/<name>/device that is not the serial
// core's own ("port", "ctrl"). sysfsRoot is "/sys" but for tests.
std::string TtyDriver(const std::string& devicePath, const std::string& sysfsRoot = "/sys");
AdapterLines LinesOfDriver(const std::string& driver);
SerialAdapter FindSerialAdapter(const std::string& devicePath, const std::string& sysfsRoot = "/sys");

// "ftdi_sio: wartet auf Leitungswechsel und zählt sie" - for the port's
// tooltip and the journal.
QString AdapterDescription(const SerialAdapter& adapter);
// "Latenz-Timer: 16 ms" where the adapter has one; empty otherwise.
QString AdapterLatency(const SerialAdapter& adapter);
// A German warning where the barriers cannot work as wired on this adapter
// (no CTS and the STOPP barrier on pins 7-8 outside Runden mode); empty
// when they can.
QString BarrierWiringWarning(const SerialAdapter& adapter, const QString& portName, bool runden);
