#pragma once

#include "ComTypes.h"
#include "LineEvent.h"
#include "LineSettings.h"

#include <QObject>

#include <cstdint>
#include <functional>
#include <memory>

class Clock;
class SerialDevice;
class TComThread;

// A serial port used as a detector of modem-line changes. Open configures
// the line once and starts a worker (TComThread) that waits for the events
// in Events; the handlers run on the user-interface thread, in a fixed
// order, one completed wait at a time. The worker stamps every wait as it
// completes and reads the lines right then; OnCTS and OnDSR get that
// LineEvent, so a handler that runs late still sees what happened when. Property changes take effect at
// the next Open. Every call is made on the user-interface thread.
//
// When the device vanishes (an adapter is pulled) the port closes itself,
// firing OnGone and then OnClose, so the owner sees that the barriers are
// gone and can tell a lost device from a port it closed itself.
class TComPort : public QObject
{
    Q_OBJECT
public:
    using TNotifyEvent = std::function<void(TComPort* sender)>;
    using TRxCharEvent = std::function<void(TComPort* sender, std::int32_t inQue)>;
    using TLineEvent = std::function<void(TComPort* sender, const LineEvent& event)>;
    using DeviceFactory = std::function<std::shared_ptr<SerialDevice>()>;

    explicit TComPort(QObject* parent);
    ~TComPort() override;

    TBaudRate BaudRate() const { return baudRate_; }
    void SetBaudRate(TBaudRate value) { baudRate_ = value; }
    // Bit rate used when BaudRate is brUser.
    std::int32_t BaudRateUser() const { return baudRateUser_; }
    void SetBaudRateUser(std::int32_t value) { baudRateUser_ = value; }
    // Selects the device (see SerialPortPath); the program never opens port 0.
    std::uint8_t Port() const { return port_; }
    void SetPort(std::uint8_t value) { port_ = value; }
    TParity Parity() const { return parity_; }
    void SetParity(TParity value) { parity_ = value; }
    TStopBits StopBits() const { return stopBits_; }
    void SetStopBits(TStopBits value) { stopBits_ = value; }
    TFlowControl FlowControl() const { return flowControl_; }
    void SetFlowControl(TFlowControl value) { flowControl_ = value; }
    // Kept within 5..8.
    std::uint8_t DataBits() const { return dataBits_; }
    void SetDataBits(std::uint8_t value);
    TEvents Events() const { return events_; }
    void SetEvents(TEvents value) { events_ = value; }
    bool EnableDTR() const { return enableDtr_; }
    void SetEnableDTR(bool value) { enableDtr_ = value; }
    // Output queue size; a quarter of it is the XON limit.
    std::int32_t WriteBufSize() const { return writeBufSize_; }
    void SetWriteBufSize(std::int32_t value) { writeBufSize_ = value; }
    std::int32_t ReadBufSize() const { return readBufSize_; }
    void SetReadBufSize(std::int32_t value) { readBufSize_ = value; }

    // Handlers; unset ones are skipped. OnCTS and OnDSR receive the
    // completed wait (its stamp and the lines when it completed); others
    // read ModemStatus (the lines now) or InQueCount themselves.
    TRxCharEvent OnRxChar;
    TNotifyEvent OnTxEmpty;
    TNotifyEvent OnBreak;
    TNotifyEvent OnRing;
    TLineEvent OnCTS;
    TLineEvent OnDSR;
    TNotifyEvent OnRLSD;
    TNotifyEvent OnRxFlag;
    TNotifyEvent OnError;
    TNotifyEvent OnOpen;
    TNotifyEvent OnClose;
    // The device has vanished; the port closes itself right after.
    TNotifyEvent OnGone;

    // Closes the port if open, then opens and configures the device and
    // starts the worker. Throws EComHandle when the device cannot be opened
    // and EComState when the line cannot be configured; the port then stays
    // closed and the device is released.
    void Open();
    // Stops the worker (running a hand-over it already asked for), releases
    // the device and fires OnClose. Does nothing when closed.
    void Close();
    bool Connected() const { return connected_; }

    // MS_ bits of the lines now; 0 when closed or unreadable.
    std::uint32_t ModemStatus() const;
    // Received bytes waiting; 0 when closed or unreadable.
    std::int32_t InQueCount() const;

    // Where Open gets its device from; by default a PosixSerialDevice.
    void SetDeviceFactory(DeviceFactory factory) { deviceFactory_ = std::move(factory); }
    // The clock the worker stamps waits with; by default the system's. It
    // must outlive the port.
    void SetClock(const Clock& clock) { clock_ = &clock; }
    // The worker while the port is open, else null.
    TComThread* Worker() const { return worker_; }

private:
    friend class TComThread;

    void CreateHandle();
    void SetupState();
    void DestroyHandle();
    LineSettings CurrentLineSettings() const;
    void WorkerGone(std::uint64_t generation);

    TBaudRate baudRate_ = br9600;
    std::int32_t baudRateUser_ = 28800;
    std::uint8_t port_ = 1;
    TParity parity_ = prNone;
    TStopBits stopBits_ = sbOneStopBit;
    TFlowControl flowControl_ = fcNone;
    std::uint8_t dataBits_ = 8;
    TEvents events_ = TEvents::All();
    bool enableDtr_ = true;
    std::int32_t writeBufSize_ = 2048;
    std::int32_t readBufSize_ = 2048;

    DeviceFactory deviceFactory_;
    const Clock* clock_;
    std::shared_ptr<SerialDevice> device_;
    TComThread* worker_ = nullptr;
    std::uint64_t generation_ = 0;
    bool connected_ = false;
    bool closing_ = false;
};
