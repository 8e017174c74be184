#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QTcpServer>
#include <QTcpSocket>

namespace brevanor::testing {

// A small HTTP server on 127.0.0.1 for the update checks: it answers every
// request with the response the test set, or, when holding, never answers
// (a server too slow to wait for).
class LocalHttpServer : public QObject {
public:
    LocalHttpServer() {
        server_.listen(QHostAddress::LocalHost, 0);
        connect(&server_, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = server_.nextPendingConnection()) {
                socket->setParent(this);
                connect(socket, &QTcpSocket::readyRead, this, [this, socket] { read(*socket); });
            }
        });
    }

    // The address of `path` on this server.
    QString address(const QString& path = QStringLiteral("/feed.json")) const {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(server_.serverPort()).arg(path);
    }

    void answer(int status, QByteArray body, QByteArray extraHeaders = {}) {
        holding_ = false;
        status_ = status;
        body_ = std::move(body);
        extraHeaders_ = std::move(extraHeaders);
    }
    void holdAnswers() { holding_ = true; }
    // Stops listening: connections are refused from now on.
    void close() { server_.close(); }

    // The head of each request received, in order.
    QList<QByteArray> requests;

private:
    void read(QTcpSocket& socket) {
        QByteArray& pending = pending_[&socket];
        pending += socket.readAll();
        const auto end = pending.indexOf("\r\n\r\n");
        if (end < 0) return;
        requests.append(pending.left(end));
        pending.clear();
        if (holding_) return;
        socket.write("HTTP/1.1 " + QByteArray::number(status_) + " Answer\r\nContent-Type: application/json\r\n" +
                     "Content-Length: " + QByteArray::number(body_.size()) + "\r\n" + extraHeaders_ +
                     "Connection: close\r\n\r\n" + body_);
        socket.disconnectFromHost();
    }

    QTcpServer server_;
    bool holding_ = false;
    int status_ = 200;
    QByteArray body_;
    QByteArray extraHeaders_;
    QHash<QTcpSocket*, QByteArray> pending_;
};

}  // namespace brevanor::testing
