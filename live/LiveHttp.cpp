#include "LiveHttp.h"

#include "LiveSnapshot.h"

#include <QCryptographicHash>
#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QUrlQuery>

namespace {

using Status = QHttpServerResponder::StatusCode;

// Only the page's own inline script and style may run; nothing is loaded
// from elsewhere, nothing may frame the page or post a form.
QByteArray Policy()
{
    static const QByteArray policy =
        "default-src 'none'; style-src 'unsafe-inline'; connect-src 'self'; img-src 'self'; "
        "base-uri 'none'; form-action 'none'; frame-ancestors 'none'; script-src 'sha256-" +
        QCryptographicHash::hash(LiveSnapshot::Script(), QCryptographicHash::Sha256).toBase64() + "'";
    return policy;
}

void Answer(QHttpServerResponder& responder, Status status, const QByteArray& type, const QByteArray& body,
            const QByteArray& etag, bool withBody)
{
    responder.writeStatusLine(status);
    responder.writeHeader("Content-Type", type);
    responder.writeHeader("Content-Length", QByteArray::number(body.size()));
    responder.writeHeader("Cache-Control", "no-cache");
    responder.writeHeader("Content-Security-Policy", Policy());
    responder.writeHeader("X-Content-Type-Options", "nosniff");
    responder.writeHeader("X-Frame-Options", "DENY");
    responder.writeHeader("Referrer-Policy", "no-referrer");
    if (!etag.isEmpty())
        responder.writeHeader("ETag", etag);
    if (status == Status::MethodNotAllowed)
        responder.writeHeader("Allow", "GET, HEAD");
    responder.writeBody(withBody ? body : QByteArray());
}

const QByteArray kHtml = "text/html; charset=utf-8";
const QByteArray kText = "text/plain; charset=utf-8";

} // namespace

LiveHttp::LiveHttp(SnapshotSource source, QObject* parent) : QAbstractHttpServer(parent), source_(std::move(source))
{
}

bool LiveHttp::handleRequest(const QHttpServerRequest& request, QTcpSocket* socket)
{
    QHttpServerResponder responder = makeResponder(request, socket);
    const auto method = request.method();
    const bool head = method == QHttpServerRequest::Method::Head;
    if (method != QHttpServerRequest::Method::Get && !head) {
        Answer(responder, Status::MethodNotAllowed, kText, "Nur Lesen erlaubt.\n", {}, true);
        return true;
    }
    const std::shared_ptr<const LiveSnapshot> snapshot = source_();
    const QString path = request.url().path();
    const bool fragment = QUrlQuery(request.url()).queryItemValue(QStringLiteral("teil")) == QLatin1String("1");

    QByteArray type = kHtml;
    const QByteArray* body = nullptr;
    if (path == QLatin1String("/api/stand")) {
        type = "application/json";
        body = &snapshot->Json();
    } else {
        static const std::pair<const char*, LivePage> pages[] = {
            {"/", LivePage::Track}, {"/wertung", LivePage::Results}, {"/starter", LivePage::StartList}};
        for (const auto& [route, page] : pages)
            if (path == QLatin1String(route))
                body = fragment ? &snapshot->Fragment(page) : &snapshot->Page(page);
    }
    if (!body) {
        Answer(responder, Status::NotFound, kText, "Diese Seite gibt es nicht.\n", {}, !head);
        return true;
    }
    if (request.value("If-None-Match") == snapshot->ETag()) {
        Answer(responder, Status::NotModified, type, {}, snapshot->ETag(), false);
        return true;
    }
    Answer(responder, Status::Ok, type, *body, snapshot->ETag(), !head);
    return true;
}

void LiveHttp::missingHandler(const QHttpServerRequest& request, QTcpSocket* socket)
{
    QHttpServerResponder responder = makeResponder(request, socket);
    Answer(responder, Status::NotFound, kText, "Diese Seite gibt es nicht.\n", {}, true);
}
