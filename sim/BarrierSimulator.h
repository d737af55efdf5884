#pragma once

#include <QObject>
#include <QString>
#include <cstdint>
#include <memory>

class FakeSerialDevice;
class QSocketNotifier;

// A developer's stand-in for the light barriers: it reads commands from a
// named pipe and changes the lines of a scripted serial device, so the whole
// path from a line change to a protocol row can be tried without hardware:
//   mkfifo /tmp/barriers; RAVOLT_BARRIER_FIFO=/tmp/barriers scripts/run.sh
//   echo START > /tmp/barriers     (a pulse on DSR)
//   echo STOPP > /tmp/barriers     (a pulse on CTS)
//   echo "DSR 1" > /tmp/barriers   (a line held on; "CTS 0" etc.)
class BarrierSimulator : public QObject
{
    Q_OBJECT
public:
    BarrierSimulator(const QString& fifoPath, std::shared_ptr<FakeSerialDevice> device, QObject* parent);
    ~BarrierSimulator() override;

    bool IsListening() const { return fd_ >= 0; }
    // Applies one command line; returns false for an unknown command.
    bool Apply(const QString& command);

private:
    void ReadPipe();
    void SetLine(std::uint32_t bit, bool on);
    void Pulse(std::uint32_t bit);

    std::shared_ptr<FakeSerialDevice> device_;
    int fd_ = -1;
    QSocketNotifier* notifier_ = nullptr;
    QByteArray pending_;
    std::uint32_t status_ = 0;
};
