#pragma once

#include <QAbstractHttpServer>

#include <functional>
#include <memory>

class LiveSnapshot;

// Answers every request from the current snapshot: fixed routes, GET and
// HEAD only, strict headers, 304 for an unchanged ETag. Nothing it does
// reads a file or changes anything. Lives on the server's thread.
class LiveHttp : public QAbstractHttpServer
{
    Q_OBJECT
public:
    using SnapshotSource = std::function<std::shared_ptr<const LiveSnapshot>()>;
    explicit LiveHttp(SnapshotSource source, QObject* parent = nullptr);

protected:
    bool handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) override;
    void missingHandler(const QHttpServerRequest& request, QTcpSocket* socket) override;

private:
    SnapshotSource source_;
};
