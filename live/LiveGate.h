#pragma once

#include <QHash>
#include <QTcpServer>
#include <QTimer>

class QTcpSocket;

// What one client may ask of the results server. Tests shorten the timeout.
struct LiveLimits
{
    int maxConnections = 256;
    int maxPerClient = 16;
    int maxRequestBytes = 8192;   // request line and headers together
    int maxHeaderLines = 48;
    // A client has this long for each request, counted from connecting or
    // from the last answer: an idle or a slowly sending client is dropped.
    int requestTimeoutMs = 10000;
};

// The listening socket of the results server. It turns away a connection
// beyond the limits at once, and drops one whose request grows too large or
// takes too long, before the HTTP parser sees more of it. Lives on the
// server's thread.
class LiveGate : public QTcpServer
{
    Q_OBJECT
public:
    explicit LiveGate(const LiveLimits& limits, QObject* parent = nullptr);
    ~LiveGate() override;
    int Connections() const { return open_; }
    // After a failed accept (descriptors or memory ran out) the socket stops
    // listening for good unless told otherwise; this pause ends that.
    QTimer* ResumeTimer() { return &resume_; }
    static constexpr int ResumeAfterMs = 500;

protected:
    void incomingConnection(qintptr descriptor) override;

private:
    void Guard(QTcpSocket* socket, const QString& client);
    static void Refuse(QTcpSocket* socket, const QByteArray& status);

    LiveLimits limits_;
    int open_ = 0;
    QHash<QString, int> perClient_;
    QTimer resume_;
};
