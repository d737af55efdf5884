#include "TComPort.h"

#include "EComHandle.h"
#include "EComState.h"
#include "PosixSerialDevice.h"
#include "TComThread.h"

#include <cerrno>

TComPort::TComPort(QObject* parent)
    : QObject(parent)
    , deviceFactory_([] { return std::make_shared<PosixSerialDevice>(); })
    , clock_(&Clock::System())
{
}

TComPort::~TComPort()
{
    Close();
}

void TComPort::SetDataBits(std::uint8_t value)
{
    if (value == dataBits_)
        return;
    dataBits_ = value > 8 ? 8 : value < 5 ? 5 : value;
}

void TComPort::Open()
{
    // Reopening from a handler that Close is running cannot work: the old
    // device is still being released.
    if (closing_)
        throw EComHandle(EBUSY);
    Close();
    CreateHandle();
    SetupState();
    worker_ = new TComThread(this, *device_, *clock_, EventMask(events_), ++generation_);
    connected_ = true;
    if (const TNotifyEvent handler = OnOpen)
        handler(this);
}

void TComPort::Close()
{
    if (!connected_ || closing_)
        return;
    closing_ = true;
    worker_->Stop();
    delete worker_;
    worker_ = nullptr;
    DestroyHandle();
    connected_ = false;
    closing_ = false;
    if (const TNotifyEvent handler = OnClose)
        handler(this);
}

void TComPort::CreateHandle()
{
    device_ = deviceFactory_ ? deviceFactory_() : nullptr;
    if (!device_)
        throw EComHandle(ENODEV);
    if (const int error = device_->Open(port_)) {
        device_.reset();
        throw EComHandle(error);
    }
}

void TComPort::SetupState()
{
    if (const int error = device_->Configure(CurrentLineSettings())) {
        // Released, so that a later Open can take the device again.
        DestroyHandle();
        throw EComState(error);
    }
}

void TComPort::DestroyHandle()
{
    if (!device_)
        return;
    device_->Close();
    device_.reset();
}

LineSettings TComPort::CurrentLineSettings() const
{
    LineSettings s;
    s.bitRate = BitRate(baudRate_, baudRateUser_);
    s.parity = parity_;
    s.stopBits = stopBits_;
    s.dataBits = dataBits_;
    s.flowControl = flowControl_;
    s.enableDtr = enableDtr_;
    return s;
}

std::uint32_t TComPort::ModemStatus() const
{
    return device_ ? device_->ModemStatus() : 0;
}

std::int32_t TComPort::InQueCount() const
{
    return device_ ? device_->InQueCount() : 0;
}

void TComPort::WorkerGone(std::uint64_t generation)
{
    // A notice from a worker of an earlier Open is stale.
    if (!connected_ || generation != generation_)
        return;
    if (const TNotifyEvent handler = OnGone)
        handler(this);
    Close();
}
