#include "DBusSleepInhibitor.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDir>
#include <QFileInfo>

#include <array>
#include <functional>
#include <optional>

namespace {

// Long enough for a busy desktop, short enough for the exit to wait on.
constexpr int kCallTimeoutMs = 2000;

struct InhibitService
{
    const char* service;
    const char* path;
    const char* interface;
    const char* against; // for the journal
};

constexpr std::array<InhibitService, 2> kServices{{
    {"org.freedesktop.ScreenSaver", "/org/freedesktop/ScreenSaver", "org.freedesktop.ScreenSaver",
     "Bildschirmschoner"},
    {"org.freedesktop.PowerManagement", "/org/freedesktop/PowerManagement/Inhibit",
     "org.freedesktop.PowerManagement.Inhibit", "Ruhezustand"},
}};

// libdbus would otherwise try to launch a bus of its own where the session has none.
bool SessionBusKnown()
{
    if (!qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
        return true;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    return !runtime.isEmpty() && QFileInfo::exists(QDir(runtime).filePath(QStringLiteral("bus")));
}

} // namespace

// Lives on the inhibitor's thread; every call there runs in order.
class DBusInhibitWorker : public QObject
{
public:
    DBusInhibitWorker(const QString& application, const QString& address, std::function<void(const QString&)> report)
        : application_(application), address_(address), report_(std::move(report))
    {
    }

    void Inhibit(const QString& reason)
    {
        if (!Connect())
            return;
        for (std::size_t i = 0; i < kServices.size(); ++i) {
            if (held_[i])
                continue;
            const InhibitService& s = kServices[i];
            const QDBusMessage reply = Call(s, "Inhibit", {application_, reason});
            bool ok = reply.type() == QDBusMessage::ReplyMessage && reply.arguments().size() == 1;
            const uint cookie = ok ? reply.arguments().constFirst().toUInt(&ok) : 0;
            if (ok) {
                held_[i] = cookie;
                report_(QStringLiteral("Desktop: Sperre gegen %1 erhalten").arg(QLatin1String(s.against)));
            } else if (!toldMissing_[i]) {
                toldMissing_[i] = true;
                report_(QStringLiteral("Desktop bietet keine Sperre gegen %1 an (%2: %3)")
                            .arg(QLatin1String(s.against), QLatin1String(s.service), ErrorText(reply)));
            }
        }
    }

    void Release()
    {
        for (std::size_t i = 0; i < kServices.size(); ++i) {
            if (!held_[i])
                continue;
            const InhibitService& s = kServices[i];
            const uint cookie = *held_[i];
            held_[i].reset();
            // A desktop that has gone took its holds with it.
            Call(s, "UnInhibit", {cookie});
            report_(QStringLiteral("Desktop: Sperre gegen %1 aufgehoben").arg(QLatin1String(s.against)));
        }
    }

    // The last call on the thread: gives back what is held and leaves the bus.
    void Finish()
    {
        report_ = [](const QString&) {};
        Release();
        if (bus_ && !address_.isEmpty())
            QDBusConnection::disconnectFromBus(bus_->name());
        bus_.reset();
    }

private:
    bool Connect()
    {
        if (bus_)
            return bus_->isConnected();
        if (!address_.isEmpty())
            bus_ = QDBusConnection::connectToBus(address_, QStringLiteral("ravolt-inhibit-%1").arg(quintptr(this)));
        else if (SessionBusKnown())
            bus_ = QDBusConnection::sessionBus();
        else
            bus_ = QDBusConnection(QStringLiteral("ravolt-no-session-bus"));
        if (!bus_->isConnected())
            report_(QStringLiteral("Desktop bietet keine Sperre gegen Ruhezustand und Bildschirmschoner an "
                                   "(kein D-Bus-Sitzungsbus)"));
        return bus_->isConnected();
    }

    QDBusMessage Call(const InhibitService& s, const char* method, const QVariantList& arguments)
    {
        QDBusMessage call = QDBusMessage::createMethodCall(QLatin1String(s.service), QLatin1String(s.path),
                                                           QLatin1String(s.interface), QLatin1String(method));
        call.setArguments(arguments);
        return bus_->call(call, QDBus::Block, kCallTimeoutMs);
    }

    static QString ErrorText(const QDBusMessage& reply)
    {
        return reply.type() == QDBusMessage::ErrorMessage ? reply.errorName() : QStringLiteral("unerwartete Antwort");
    }

    const QString application_;
    const QString address_;
    std::function<void(const QString&)> report_;
    std::optional<QDBusConnection> bus_;
    std::array<std::optional<uint>, kServices.size()> held_;
    std::array<bool, kServices.size()> toldMissing_{};
};

DBusSleepInhibitor::DBusSleepInhibitor(const QString& application, const QString& busAddress, QObject* parent)
    : SleepInhibitor(parent)
{
    thread_.setObjectName(QStringLiteral("SleepInhibitor"));
    worker_ = new DBusInhibitWorker(application, busAddress, [this](const QString& text) {
        QMetaObject::invokeMethod(this, [this, text] { Q_EMIT Reported(text); }, Qt::QueuedConnection);
    });
    worker_->moveToThread(&thread_);
    connect(&thread_, &QThread::finished, worker_, &QObject::deleteLater);
    thread_.start();
}

DBusSleepInhibitor::~DBusSleepInhibitor()
{
    QMetaObject::invokeMethod(worker_, [w = worker_] { w->Finish(); }, Qt::BlockingQueuedConnection);
    thread_.quit();
    thread_.wait();
}

void DBusSleepInhibitor::Inhibit(const QString& reason)
{
    QMetaObject::invokeMethod(worker_, [w = worker_, reason] { w->Inhibit(reason); }, Qt::QueuedConnection);
}

void DBusSleepInhibitor::Release()
{
    QMetaObject::invokeMethod(worker_, [w = worker_] { w->Release(); }, Qt::QueuedConnection);
}
