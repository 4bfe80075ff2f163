#pragma once

#include <QByteArray>
#include <QHash>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUrl>

namespace testing_support {

// A tiny HTTP server on 127.0.0.1 for end-to-end tests: serves fixed pages by path, in this
// process's event loop. Unknown paths give 404.
class LocalHttpServer : public QObject {
    Q_OBJECT
public:
    LocalHttpServer() {
        connect(&m_server, &QTcpServer::newConnection, this, &LocalHttpServer::accept);
        m_server.listen(QHostAddress::LocalHost, 0);
    }

    void addPage(const QString &path, const QByteArray &body,
                 const QByteArray &type = "text/html; charset=utf-8") {
        m_pages.insert(path, {type, body});
    }
    // Pages are answered as a site that lets browsers keep them for ten minutes does.
    void setCacheable(bool cacheable) { m_cacheable = cacheable; }
    // The first `times` answers for `path` drop the connection after `keep` bytes of the body,
    // as a network that goes away does; later ones are whole.
    void dropPage(const QString &path, qsizetype keep, int times = 1) {
        m_drops.insert(path, {keep, times});
    }
    // The page at `path` asks for an HTTP login (Basic) and is served only with this one.
    void protectPage(const QString &path, const QByteArray &user, const QByteArray &password,
                     const QByteArray &realm) {
        m_logins.insert(path, {"Basic " + (user + ':' + password).toBase64(), realm});
    }
    QUrl url(const QString &path) const {
        return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(m_server.serverPort()).arg(path));
    }
    int requestsFor(const QString &path) const { return m_requests.value(path); }
    int totalRequests() const {
        int total = 0;
        for (const int n : m_requests)
            total += n;
        return total;
    }
    // Connections made to the server, whether or not a request followed.
    int connectionCount() const { return m_connections; }
    // The request headers of the last request for a path.
    QByteArray lastHeaders(const QString &path) const { return m_headers.value(path); }

private:
    void accept() {
        while (QTcpSocket *socket = m_server.nextPendingConnection()) {
            ++m_connections;
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] { answer(socket); });
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        }
    }
    void answer(QTcpSocket *socket) {
        QByteArray &buffer = m_buffers[socket];
        buffer += socket->readAll();
        if (!buffer.contains("\r\n\r\n"))
            return;
        const QList<QByteArray> requestLine = buffer.left(buffer.indexOf("\r\n")).split(' ');
        const QString path =
            requestLine.size() > 1 ? QUrl(QString::fromLatin1(requestLine[1])).path() : QString();
        ++m_requests[path];
        const QByteArray headers = buffer.left(buffer.indexOf("\r\n\r\n"));
        m_buffers.remove(socket);
        m_headers.insert(path, headers);
        const auto page = m_pages.find(path);
        const auto login = m_logins.find(path);
        QByteArray response;
        if (login != m_logins.end() &&
            !headers.contains("\r\nAuthorization: " + login->first + "\r\n") &&
            !headers.endsWith("\r\nAuthorization: " + login->first)) {
            response = "HTTP/1.1 401 Unauthorized\r\nWWW-Authenticate: Basic realm=\"" +
                       login->second + "\"\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
        } else if (page == m_pages.end()) {
            response = "HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
        } else {
            response = "HTTP/1.1 200 OK\r\nContent-Type: " + page->first +
                       (m_cacheable ? "\r\nCache-Control: max-age=600" : "") +
                       "\r\nContent-Length: " + QByteArray::number(page->second.size()) +
                       "\r\nConnection: close\r\n\r\n" + page->second;
        }
        if (auto drop = m_drops.find(path); drop != m_drops.end() && drop->second > 0 &&
                                             page != m_pages.end()) {
            --drop->second;
            socket->write(response.left(response.size() - page->second.size() + drop->first));
            socket->flush();
            socket->abort();
            return;
        }
        socket->write(response);
        socket->disconnectFromHost();
    }

    QTcpServer m_server;
    QHash<QString, QPair<QByteArray, QByteArray>> m_pages;
    QHash<QString, int> m_requests;
    QHash<QString, QByteArray> m_headers;
    QHash<QString, QPair<QByteArray, QByteArray>> m_logins; // expected header value, realm
    QHash<QTcpSocket *, QByteArray> m_buffers;
    QHash<QString, QPair<qsizetype, int>> m_drops; // bytes kept, answers left to drop
    int m_connections = 0;
    bool m_cacheable = false;
};

} // namespace testing_support
