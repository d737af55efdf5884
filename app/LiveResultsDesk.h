#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

class EventBook;
class JournalFeed;
class LiveServer;
class RunControl;
struct TAppSettings;

// Live results at the desk: starts and stops the results server as the
// settings say, and hands it the event after each change of the book, the
// protocol or the lanes (one hand-over per turn of the event loop, however
// many changes came). The server never holds up timing: a port in use is a
// notice, nothing more.
class LiveResultsDesk : public QObject
{
    Q_OBJECT
public:
    // runControl may be null: no lanes are shown then.
    LiveResultsDesk(EventBook* book, RunControl* runControl, QObject* parent = nullptr);
    ~LiveResultsDesk() override;

    // Where the journal notes start, stop and the address served; may be unset.
    void SetJournal(JournalFeed* journal) { journal_ = journal; }
    // Starts, restarts or stops the server for LiveResults, LivePort and LiveAddress.
    void Apply(const TAppSettings& settings);
    // "http://192.168.1.10:8080/" while it serves; empty otherwise.
    QString Address() const { return address_; }

Q_SIGNALS:
    // A German notice for the main window's notice line.
    void Notice(const QString& text);
    // The event was handed to the server (once per turn of the event loop).
    void Published();

private:
    void Publish();
    void Record(const QString& what);

    EventBook* book_;
    RunControl* runControl_;
    LiveServer* server_;
    JournalFeed* journal_ = nullptr;
    QTimer publish_;
    QString served_; // "port address" the server was started for
    QString address_;
};
