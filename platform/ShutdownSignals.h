#pragma once

#include <QObject>

#include <array>
#include <csignal>

class QSocketNotifier;

// SIGTERM, SIGINT and SIGHUP (a shutdown or logout, Ctrl+C in a terminal,
// `kill`) would end the process on the spot, without the backup, the
// settings and the journal's last line that a regular exit writes. While
// an object of this class lives, these signals are handed to the event loop
// instead: Received is emitted there, outside the signal handler.
// One object at a time.
class ShutdownSignals : public QObject
{
    Q_OBJECT
public:
    static constexpr std::array<int, 3> Handled = {SIGTERM, SIGINT, SIGHUP};

    explicit ShutdownSignals(QObject* parent = nullptr);
    // Puts back the default handling: a later signal ends the process again.
    ~ShutdownSignals() override;

Q_SIGNALS:
    void Received(int signal);

private:
    void ReadPipe();

    QSocketNotifier* notifier_ = nullptr;
};
