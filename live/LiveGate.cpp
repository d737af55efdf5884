#include "LiveGate.h"

#include <QTcpSocket>
#include <QTimer>

#include <memory>

LiveGate::LiveGate(const LiveLimits& limits, QObject* parent) : QTcpServer(parent), limits_(limits)
{
    setMaxPendingConnections(limits.maxConnections);
    // A failed accept pauses accepting; the server takes phones again once
    // the shortage may be over instead of staying deaf until a restart.
    resume_.setSingleShot(true);
    resume_.setInterval(ResumeAfterMs);
    connect(this, &QTcpServer::acceptError, &resume_, qOverload<>(&QTimer::start));
    connect(&resume_, &QTimer::timeout, this, &QTcpServer::resumeAccepting);
}

LiveGate::~LiveGate()
{
    // The sockets go first, while the counts they update still exist. Those
    // the HTTP server has not taken yet are deleted by close(), so they must
    // not be deleted here as well.
    for (QTcpSocket* socket : findChildren<QTcpSocket*>(QString(), Qt::FindDirectChildrenOnly))
        disconnect(socket, nullptr, this, nullptr);
    close();
    qDeleteAll(findChildren<QTcpSocket*>(QString(), Qt::FindDirectChildrenOnly));
}

void LiveGate::Refuse(QTcpSocket* socket, const QByteArray& status)
{
    // Drop what the client sent, so the parser never sees it.
    socket->readAll();
    socket->write("HTTP/1.1 " + status + "\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
    socket->disconnectFromHost();
}

void LiveGate::incomingConnection(qintptr descriptor)
{
    auto* socket = new QTcpSocket(this);
    if (!socket->setSocketDescriptor(descriptor)) {
        delete socket;
        return;
    }
    const QString client = socket->peerAddress().toString();
    if (open_ >= limits_.maxConnections || perClient_.value(client) >= limits_.maxPerClient) {
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        Refuse(socket, "503 Service Unavailable");
        return;
    }
    ++open_;
    ++perClient_[client];
    Guard(socket, client);
    addPendingConnection(socket);
}

void LiveGate::Guard(QTcpSocket* socket, const QString& client)
{
    auto* deadline = new QTimer(socket);
    deadline->setSingleShot(true);
    deadline->start(limits_.requestTimeoutMs);
    connect(deadline, &QTimer::timeout, socket, &QTcpSocket::abort);

    // Bytes and lines of the request so far; an answer starts the next one.
    struct Request
    {
        qint64 bytes = 0;
        qint64 lines = 0;
        bool refused = false;
    };
    auto request = std::make_shared<Request>();
    connect(socket, &QTcpSocket::bytesWritten, deadline, [deadline, request, this] {
        if (request->refused)
            return;
        request->bytes = 0;
        request->lines = 0;
        deadline->start(limits_.requestTimeoutMs);
    });
    // Connected before the server's own handler, so it sees the bytes first.
    connect(socket, &QTcpSocket::readyRead, socket, [socket, request, deadline, this] {
        if (request->refused) {
            socket->readAll();
            return;
        }
        const QByteArray fresh = socket->peek(socket->bytesAvailable());
        request->bytes += fresh.size();
        request->lines += fresh.count('\n');
        if (request->bytes > limits_.maxRequestBytes || request->lines > limits_.maxHeaderLines) {
            request->refused = true;
            deadline->start(limits_.requestTimeoutMs);
            Refuse(socket, "431 Request Header Fields Too Large");
        }
    });
    connect(socket, &QTcpSocket::disconnected, this, [this, socket, client] {
        if (socket->property("counted").toBool())
            return;
        socket->setProperty("counted", true);
        --open_;
        if (--perClient_[client] <= 0)
            perClient_.remove(client);
        socket->deleteLater();
    });
}
