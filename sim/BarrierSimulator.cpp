#include "BarrierSimulator.h"

#include "ComTypes.h"
#include "FakeSerialDevice.h"

#include <QSocketNotifier>
#include <QTimer>
#include <fcntl.h>
#include <unistd.h>

namespace {
// Long enough for the line change to be handled before the line drops.
constexpr int PulseMs = 60;
} // namespace

BarrierSimulator::BarrierSimulator(const QString& fifoPath, std::shared_ptr<FakeSerialDevice> device,
                                   QObject* parent)
    : QObject(parent)
    , device_(std::move(device))
{
    // Opened for reading and writing, so the pipe never reports an end when
    // a writer closes it; non-blocking, so opening never waits for a writer.
    fd_ = ::open(fifoPath.toLocal8Bit().constData(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0)
        return;
    notifier_ = new QSocketNotifier(fd_, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &BarrierSimulator::ReadPipe);
}

BarrierSimulator::~BarrierSimulator()
{
    if (fd_ >= 0)
        ::close(fd_);
}

void BarrierSimulator::ReadPipe()
{
    char buffer[256];
    ssize_t n;
    while ((n = ::read(fd_, buffer, sizeof buffer)) > 0)
        pending_.append(buffer, int(n));
    int end;
    while ((end = pending_.indexOf('\n')) >= 0) {
        Apply(QString::fromUtf8(pending_.left(end)));
        pending_.remove(0, end + 1);
    }
}

bool BarrierSimulator::Apply(const QString& command)
{
    const QStringList words = command.trimmed().toUpper().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (words.size() == 1 && words[0] == QLatin1String("START")) {
        Pulse(MS_DSR_ON);
        return true;
    }
    if (words.size() == 1 && words[0] == QLatin1String("STOPP")) {
        Pulse(MS_CTS_ON);
        return true;
    }
    if (words.size() == 2 && (words[1] == QLatin1String("0") || words[1] == QLatin1String("1"))) {
        if (words[0] == QLatin1String("CTS") || words[0] == QLatin1String("DSR")) {
            SetLine(words[0] == QLatin1String("CTS") ? MS_CTS_ON : MS_DSR_ON, words[1] == QLatin1String("1"));
            return true;
        }
    }
    return false;
}

void BarrierSimulator::SetLine(std::uint32_t bit, bool on)
{
    status_ = on ? (status_ | bit) : (status_ & ~bit);
    device_->SetModemStatus(status_);
}

void BarrierSimulator::Pulse(std::uint32_t bit)
{
    SetLine(bit, true);
    QTimer::singleShot(PulseMs, this, [this, bit] { SetLine(bit, false); });
}
