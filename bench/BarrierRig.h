#pragma once

// What the benchmarks of barrier time stamps share: the program's windows as
// the program creates them, a fake serial device whose modem lines a driver
// thread raises, a clock that notes when the lane read its tick, and the
// load of a user interface ranking a 10,000-row protocol.
#include "Clock.h"
#include "FakeSerialDevice.h"
#include "IniSettingsStore.h"
#include "ProtocolModel.h"
#include "TAppSettings.h"
#include "TFormMain.h"
#include "TSortGrid.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class EventBook;

std::int64_t NowNs();

// The system clock, noting when the tick was read. A lane reads the wall
// clock right after the tick of a start or stop (and never for the 10 ms
// display), so that read publishes the moment of the time stamp.
class StampingClock final : public Clock
{
public:
    std::uint32_t TickCount() const override;
    TimeStamp Stamp() const override;
    QDateTime LocalNow() const override;

    mutable std::atomic<std::int64_t> stampNs{0};
    // The edge's own stamp as the lane takes it (new path), also by command.
    std::atomic<std::int64_t> edgeNs{0};
    std::atomic<std::int64_t> startEdgeNs{0};
    std::atomic<std::int64_t> stopEdgeNs{0};
    std::atomic<int> accepted{0};
    mutable std::atomic<int> stamps{0};
};

// Sorted percentiles of nanosecond figures, in microseconds.
struct Percentiles
{
    std::size_t count = 0;
    double median = 0;
    double p99 = 0;
    double max = 0;
};
Percentiles PercentilesOf(std::vector<std::int64_t> ns);

void PrintBarrier(const char* what, const std::vector<std::int64_t>& ns, int missed);

// The whole program on a fake serial device, with settings, backup, journal
// and event book in a folder of its own; no port is probed.
class BarrierProgram
{
public:
    BarrierProgram();
    ~BarrierProgram();
    TFormMain& Form() { return *program_; }
    FakeSerialDevice& Device() { return *device_; }
    StampingClock& Stamps() { return clock_; }
    EventBook& Book();

private:
    StampingClock clock_;
    std::shared_ptr<FakeSerialDevice> device_;
    QTemporaryDir folder_;
    std::unique_ptr<IniSettingsStore> store_;
    std::unique_ptr<TFormMain> program_;
};

// One barrier pulse after the other, alternating the start and the finish
// barrier, from the calling thread (not the UI thread).
struct BarrierFigures
{
    std::vector<std::int64_t> tickLatencies; // old path: tick read when the handler runs
    std::vector<std::int64_t> edgeErrors;    // new path: edge stamp the lane records
    int missed = 0;
};
// With moveOn the lanes are moved on before each start (F7), as an operator
// does between runs; without, every start from the second on restarts over a
// result. Stops early once `more` says no.
BarrierFigures DriveBarrier(BarrierProgram& program, int events, bool moveOn,
                            const std::function<bool()>& more = {});

// Runs `drive` on a thread of its own while the UI thread runs its event
// loop, which ends when drive returns.
void RunBesideEventLoop(const std::function<void()>& drive);

// Keeps the UI thread ranking a 10,000-row protocol over and over.
class RankingLoad
{
public:
    RankingLoad();
    void Start() { busy_.start(0); }
    void Stop() { busy_.stop(); }
    void PrintAverage() const;

private:
    TSortGrid grid_;
    ProtocolModel protocol_;
    ProtocolRows rows_;
    QTimer busy_;
    QElapsedTimer ranking_;
    qint64 rankNs_ = 0;
    int ranks_ = 0;
};
