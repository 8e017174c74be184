#include "app/control/SingleInstance.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocalSocket>
#include <QStandardPaths>

namespace brevanor {

namespace {

constexpr int kConnectTimeoutMs = 1000;
const QString kFilesKey = QStringLiteral("files");
const QString kActionKey = QStringLiteral("action");

QByteArray encode(const QStringList& files) {
    QJsonObject message;
    message.insert(kFilesKey, QJsonArray::fromStringList(files));
    return QJsonDocument(message).toJson(QJsonDocument::Compact);
}

// The files of a well-formed message; anything else reads as none.
QStringList decode(const QByteArray& bytes) {
    const QJsonDocument document = QJsonDocument::fromJson(bytes);
    QStringList files;
    for (const QJsonValue& value : document.object().value(kFilesKey).toArray()) {
        if (value.isString()) files.push_back(value.toString());
    }
    return files;
}

}  // namespace

QString SingleInstance::defaultServerName() {
    return QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation) +
           QStringLiteral("/com.brevanor.Brevanor.socket");
}

SingleInstance::SingleInstance(QString serverName, QObject* parent)
    : QObject(parent), serverName_(std::move(serverName)) {
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&server_, &QLocalServer::newConnection, this, &SingleInstance::acceptConnections);
}

bool SingleInstance::forwardToRunningInstance(const QStringList& files) { return send(encode(files)); }

bool SingleInstance::forwardActionToRunningInstance(const QString& action) {
    QJsonObject message;
    message.insert(kActionKey, action);
    return send(QJsonDocument(message).toJson(QJsonDocument::Compact));
}

bool SingleInstance::send(const QByteArray& message) {
    QLocalSocket socket;
    socket.connectToServer(serverName_);
    if (!socket.waitForConnected(kConnectTimeoutMs)) return false;
    socket.write(message);
    socket.flush();
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState) socket.waitForDisconnected(kConnectTimeoutMs);
    return true;
}

bool SingleInstance::listen() {
    if (server_.listen(serverName_)) return true;
    // Nobody answered forwardToRunningInstance(), so a socket still there was
    // left by an instance that crashed.
    if (server_.serverError() != QAbstractSocket::AddressInUseError) return false;
    QLocalServer::removeServer(serverName_);
    return server_.listen(serverName_);
}

void SingleInstance::acceptConnections() {
    while (QLocalSocket* socket = server_.nextPendingConnection()) {
        socket->setParent(this);
        auto buffer = std::make_shared<QByteArray>();
        connect(socket, &QLocalSocket::readyRead, this, [socket, buffer] {
            buffer->append(socket->readAll());
            if (buffer->size() > maxMessageBytes) socket->abort();
        });
        connect(socket, &QLocalSocket::disconnected, this, [this, socket, buffer] {
            if (socket->isOpen()) buffer->append(socket->readAll());
            if (buffer->size() > maxMessageBytes) {
                socket->deleteLater();
                return;
            }
            const QJsonValue action = QJsonDocument::fromJson(*buffer).object().value(kActionKey);
            if (action.isString()) {
                emit actionRequested(action.toString());
            } else {
                emit activated(decode(*buffer));
            }
            socket->deleteLater();
        });
    }
}

}  // namespace brevanor
