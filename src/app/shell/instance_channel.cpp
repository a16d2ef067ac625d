#include "app/shell/instance_channel.h"

#include "app/shell/open_request.h"

#include <QLocalSocket>
#include <QStandardPaths>
#include <QTimer>

#include <memory>

#include <sys/socket.h>
#include <unistd.h>

namespace clarivex {

namespace {

constexpr int connectMilliseconds = 1000;
// A well-behaved second instance sends its few paths at once; one that dawdles is cut off.
constexpr int messageMilliseconds = 5000;

// The socket's file mode already keeps other users out; the peer's credentials are checked
// too, so that a socket file with loosened permissions does not open the queue to them.
bool sameUser(const QLocalSocket& socket) {
    ucred credentials{};
    socklen_t length = sizeof credentials;
    if (getsockopt(int(socket.socketDescriptor()), SOL_SOCKET, SO_PEERCRED, &credentials,
                   &length) != 0)
        return false;
    return credentials.uid == getuid();
}

} // namespace

InstanceChannel::InstanceChannel(QString socketPath, QObject* parent)
    : QObject(parent)
    , socketPath_(socketPath.isEmpty() ? socketPathForUser() : socketPath) {
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&server_, &QLocalServer::newConnection, this, &InstanceChannel::accept);
}

QString InstanceChannel::socketPathForUser() {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QStringLiteral("/tmp");
    return folder + QStringLiteral("/clarivex-%1.socket").arg(getuid());
}

bool InstanceChannel::handOver(const QStringList& paths) const {
    QLocalSocket socket;
    socket.connectToServer(socketPath_);
    if (!socket.waitForConnected(connectMilliseconds))
        return false;
    socket.write(OpenRequest::encode(paths));
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState)
        socket.waitForDisconnected(connectMilliseconds);
    return true;
}

bool InstanceChannel::listen() {
    // Qt makes a private socket beside the path and renames it over whatever file is there, so
    // a live instance must be asked first; a crashed one's leftover does not answer and is
    // simply replaced.
    QLocalSocket probe;
    probe.connectToServer(socketPath_);
    if (probe.waitForConnected(connectMilliseconds))
        return false;
    QLocalServer::removeServer(socketPath_);
    return server_.listen(socketPath_);
}

void InstanceChannel::accept() {
    while (QLocalSocket* socket = server_.nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        if (!sameUser(*socket)) {
            socket->abort();
            continue;
        }
        // Whatever arrives after a time-out or past the size limit is never read as a request,
        // even when the cut happens to fall after a complete path.
        struct Pending {
            QByteArray message;
            bool spoiled = false;
        };
        const auto pending = std::make_shared<Pending>();
        const auto spoil = [socket, pending] {
            pending->spoiled = true;
            socket->abort();
        };
        QTimer::singleShot(messageMilliseconds, socket, spoil);
        connect(socket, &QLocalSocket::readyRead, socket, [socket, pending, spoil] {
            pending->message += socket->readAll();
            if (pending->message.size() > OpenRequest::maximumBytes)
                spoil();
        });
        connect(socket, &QLocalSocket::readChannelFinished, this, [this, socket, pending] {
            pending->message += socket->readAll();
            if (pending->spoiled)
                return;
            pending->spoiled = true;
            if (const auto paths = OpenRequest::decode(pending->message))
                emit filesRequested(*paths);
        });
    }
}

} // namespace clarivex
