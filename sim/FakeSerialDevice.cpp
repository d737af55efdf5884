#include "FakeSerialDevice.h"

#include <algorithm>
#include <utility>
#include <cerrno>

int FakeSerialDevice::Open(std::uint8_t port)
{
    std::lock_guard lock(mutex_);
    if (open_)
        return EBUSY;
    if (!plugged_)
        return ENOENT;
    if (openError_ != 0)
        return openError_;
    open_ = true;
    port_ = port;
    ++openCount_;
    cancelled_ = false;
    mask_ = 0;
    pending_ = 0;
    return 0;
}

int FakeSerialDevice::Configure(const LineSettings& settings)
{
    std::lock_guard lock(mutex_);
    if (configureError_ != 0)
        return configureError_;
    settings_ = settings;
    return 0;
}

void FakeSerialDevice::Close()
{
    std::lock_guard lock(mutex_);
    open_ = false;
}

void FakeSerialDevice::SetEventMask(std::uint32_t mask)
{
    std::lock_guard lock(mutex_);
    mask_ = mask;
    pending_ = 0;
    reportedStatus_ = status_;
    movedLines_ = 0;
}

WaitResult FakeSerialDevice::WaitEvent()
{
    std::unique_lock lock(mutex_);
    ++waitsStarted_;
    mostWaits_ = std::max(mostWaits_, ++waitsNow_);
    ++sleeping_;
    waits_.notify_all();
    raised_.wait(lock, [this] {
        return cancelled_ || !plugged_ || failNextWait_ || (pending_ & mask_);
    });
    --sleeping_;
    --waitsNow_;
    waits_.notify_all();
    if (cancelled_)
        return {WaitResult::Kind::Stopped, 0};
    if (!plugged_)
        return {WaitResult::Kind::Gone, 0};
    if (failNextWait_) {
        failNextWait_ = false;
        return {WaitResult::Kind::Failed, 0};
    }
    const std::uint32_t events = pending_ & mask_;
    pending_ = 0;
    WaitResult result{WaitResult::Kind::Events, events};
    result.modemStatus = status_;
    result.returned = movedLines_ & ~(status_ ^ reportedStatus_);
    reportedStatus_ = status_;
    movedLines_ = 0;
    return result;
}

void FakeSerialDevice::CancelWait()
{
    Script([this] { cancelled_ = true; });
}

std::uint32_t FakeSerialDevice::ModemStatus()
{
    std::lock_guard lock(mutex_);
    return open_ && plugged_ ? status_ : 0;
}

std::int32_t FakeSerialDevice::InQueCount()
{
    std::lock_guard lock(mutex_);
    return open_ && plugged_ ? inQueue_ : 0;
}

void FakeSerialDevice::Purge()
{
    std::lock_guard lock(mutex_);
    inQueue_ = 0;
    ++purgeCount_;
}

void FakeSerialDevice::SetModemStatus(std::uint32_t status)
{
    Script([this, status] { ChangeLines(status); });
}

void FakeSerialDevice::PulseLines(std::uint32_t lines)
{
    Script([this, lines] {
        const std::uint32_t before = status_;
        ChangeLines(before ^ lines);
        ChangeLines(before);
    });
}

void FakeSerialDevice::ChangeLines(std::uint32_t status)
{
    const std::uint32_t changed = status ^ status_;
    status_ = status;
    std::uint32_t events = 0;
    std::uint32_t watched = 0;
    for (const auto& [line, event] : {std::pair{MS_CTS_ON, EV_CTS}, std::pair{MS_DSR_ON, EV_DSR},
                                     std::pair{MS_RING_ON, EV_RING}, std::pair{MS_RLSD_ON, EV_RLSD}}) {
        if (changed & line)
            events |= event;
        if (mask_ & event)
            watched |= line;
    }
    if (open_)
        movedLines_ |= changed & watched;
    Raise(events);
}

void FakeSerialDevice::RaiseEvents(std::uint32_t events)
{
    Script([this, events] { Raise(events); });
}

void FakeSerialDevice::Receive(std::int32_t bytes)
{
    Script([this, bytes] {
        inQueue_ += bytes;
        Raise(EV_RXCHAR);
    });
}

template <typename Change>
void FakeSerialDevice::Script(Change change)
{
    {
        std::lock_guard lock(mutex_);
        change();
    }
    raised_.notify_all();
}

void FakeSerialDevice::Raise(std::uint32_t events)
{
    if (open_)
        pending_ |= events & mask_;
}

void FakeSerialDevice::FailOpen(int error)
{
    std::lock_guard lock(mutex_);
    openError_ = error;
}

void FakeSerialDevice::FailConfigure(int error)
{
    std::lock_guard lock(mutex_);
    configureError_ = error;
}

void FakeSerialDevice::FailNextWait()
{
    Script([this] { failNextWait_ = true; });
}

void FakeSerialDevice::Unplug()
{
    Script([this] { plugged_ = false; });
}

void FakeSerialDevice::Plug()
{
    std::lock_guard lock(mutex_);
    plugged_ = true;
}

bool FakeSerialDevice::IsOpen() const
{
    std::lock_guard lock(mutex_);
    return open_;
}

std::uint8_t FakeSerialDevice::OpenedPort() const
{
    std::lock_guard lock(mutex_);
    return port_;
}

int FakeSerialDevice::OpenCount() const
{
    std::lock_guard lock(mutex_);
    return openCount_;
}

LineSettings FakeSerialDevice::Settings() const
{
    std::lock_guard lock(mutex_);
    return settings_;
}

std::uint32_t FakeSerialDevice::EventMask() const
{
    std::lock_guard lock(mutex_);
    return mask_;
}

int FakeSerialDevice::PurgeCount() const
{
    std::lock_guard lock(mutex_);
    return purgeCount_;
}

int FakeSerialDevice::WaitsStarted() const
{
    std::lock_guard lock(mutex_);
    return waitsStarted_;
}

int FakeSerialDevice::MostWaitsAtOnce() const
{
    std::lock_guard lock(mutex_);
    return mostWaits_;
}

bool FakeSerialDevice::WaitUntilWaiting(std::chrono::milliseconds timeout)
{
    std::unique_lock lock(mutex_);
    return waits_.wait_for(lock, timeout, [this] { return sleeping_ > 0 && (pending_ & mask_) == 0; });
}
