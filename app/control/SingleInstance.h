#pragma once

#include <QLocalServer>
#include <QObject>
#include <QStringList>

namespace brevanor {

// One Brevanor per user: the first instance listens on a local socket; a later
// launch hands its files to it and ends, and the first brings its library
// forward (importing the files, if any) instead of a second copy starting. A
// launch with an action (`brevanor --record`, `--play-last`, `--stop`) hands
// over that action instead, so a compositor key binding can drive Brevanor
// where no global shortcut can be registered.
class SingleInstance : public QObject {
    Q_OBJECT

public:
    // The largest message accepted from another launch; anything longer is dropped.
    static constexpr qint64 maxMessageBytes = 1 << 20;

    // The per-user socket: in $XDG_RUNTIME_DIR (or Qt's fallback for it).
    static QString defaultServerName();

    explicit SingleInstance(QString serverName, QObject* parent = nullptr);

    // Sends `files` to a running instance; true when one took them (this launch should end).
    bool forwardToRunningInstance(const QStringList& files);
    // Sends an action ("record", "playLast", "stop") to a running instance; true when one took it.
    bool forwardActionToRunningInstance(const QString& action);
    // Becomes the running instance. A socket left behind by a crashed instance is
    // replaced. False when listening fails (Brevanor then runs without the check).
    bool listen();

signals:
    // Another launch asked for the library, with the files it was given (may be empty).
    void activated(const QStringList& files);
    // Another launch asked for an action ("record", "playLast" or "stop").
    void actionRequested(const QString& action);

private:
    bool send(const QByteArray& message);
    void acceptConnections();

    QString serverName_;
    QLocalServer server_;
};

}  // namespace brevanor
