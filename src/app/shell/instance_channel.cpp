#include "app/shell/instance_channel.h"

#include "core/files/file_descriptor.h"

#include <QLocalSocket>
#include <QTimer>

#include <cerrno>
#include <cstring>

#include <sys/socket.h>
#include <sys/un.h>

namespace clarivex {

namespace {

// A well-behaved second instance sends its few paths at once; one that dawdles is cut off.
constexpr int messageMilliseconds = 5000;
// Qt's own buffer stays small; the request's bytes are counted as they leave it.
constexpr qint64 socketBufferBytes = 64 * 1024;

// The user whose process is at the other end of a connected local socket.
std::optional<uid_t> peerUser(int descriptor) {
    ucred credentials{};
    socklen_t length = sizeof credentials;
    if (::getsockopt(descriptor, SOL_SOCKET, SO_PEERCRED, &credentials, &length) != 0)
        return std::nullopt;
    return credentials.uid;
}

std::optional<sockaddr_un> socketAddress(const std::filesystem::path& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.native().size() >= sizeof address.sun_path)
        return std::nullopt;
    std::memcpy(address.sun_path, path.c_str(), path.native().size());
    return address;
}

bool writeAll(int descriptor, const QByteArray& bytes) {
    for (qsizetype sent = 0; sent < bytes.size();) {
        const ssize_t count = ::send(descriptor, bytes.constData() + sent,
                                     std::size_t(bytes.size() - sent), MSG_NOSIGNAL);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            return false;
        sent += count;
    }
    return true;
}

// Everything until the other end closes, or until `expected` has arrived.
QByteArray readUpTo(int descriptor, const QByteArray& expected) {
    QByteArray received;
    char buffer[64];
    while (received.size() < expected.size()) {
        const ssize_t count = ::recv(descriptor, buffer, sizeof buffer, 0);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            break;
        received.append(buffer, count);
    }
    return received;
}

} // namespace

InstanceChannel::InstanceChannel(QObject* parent)
    : QObject(parent) {
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&server_, &QLocalServer::newConnection, this, &InstanceChannel::accept);
}

InstanceChannel::~InstanceChannel() {
    stopAccepting();
}

std::optional<std::string> InstanceChannel::listen(const std::filesystem::path& socketPath) {
    if (!socketAddress(socketPath))
        return "путь " + socketPath.string() + " слишком длинный для сокета";
    std::error_code ignored;
    if (std::filesystem::is_directory(std::filesystem::symlink_status(socketPath, ignored)))
        return "на месте сокета " + socketPath.string() + " папка";
    QLocalServer::removeServer(QString::fromStdString(socketPath.native()));
    if (!server_.listen(QString::fromStdString(socketPath.native())))
        return "не удалось открыть сокет " + socketPath.string() + " (" +
               server_.errorString().toStdString() + ")";
    return std::nullopt;
}

void InstanceChannel::stopAccepting() {
    server_.close();
    while (!pending_.empty())
        drop(pending_.begin()->first);
}

InstanceChannel::Answer InstanceChannel::send(const std::filesystem::path& socketPath,
                                              const OpenRequest::Paths& paths, uid_t owner) {
    const auto address = socketAddress(socketPath);
    const FileDescriptor socket(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!address || !socket.isOpen() ||
        ::connect(socket.get(), reinterpret_cast<const sockaddr*>(&*address), sizeof *address) != 0)
        return Answer::noListener;
    // The user's file names go to nobody but the user's own instance.
    if (peerUser(socket.get()) != owner)
        return Answer::stranger;
    const QByteArray expected = OpenRequest::acknowledgement();
    if (!writeAll(socket.get(), OpenRequest::encode(paths)) ||
        readUpTo(socket.get(), expected) != expected)
        return Answer::refused;
    return Answer::acknowledged;
}

void InstanceChannel::accept() {
    while (QLocalSocket* socket = server_.nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        // A dropped connection is deleted at once: closing it need not say so.
        if (pending_.size() >= maximumConnections ||
            peerUser(int(socket->socketDescriptor())) != ::getuid()) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        pending_.emplace(socket, QByteArray());
        socket->setReadBufferSize(socketBufferBytes);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { read(socket); });
        connect(socket, &QLocalSocket::disconnected, this, [this, socket] { forget(socket); });
        QTimer::singleShot(messageMilliseconds, socket, [this, socket] { drop(socket); });
    }
}

void InstanceChannel::read(QLocalSocket* socket) {
    const auto found = pending_.find(socket);
    if (found == pending_.end())
        return;
    const QByteArray bytes = socket->readAll();
    if (found->second.size() + bytes.size() > OpenRequest::maximumBytes ||
        buffered_ + bytes.size() > maximumBufferedBytes) {
        drop(socket);
        return;
    }
    found->second += bytes;
    buffered_ += bytes.size();
    if (OpenRequest::isComplete(found->second))
        finish(socket);
}

void InstanceChannel::finish(QLocalSocket* socket) {
    const auto paths = OpenRequest::decode(forget(socket));
    if (!paths) {
        socket->abort();
        socket->deleteLater();
        return;
    }
    Q_EMIT filesRequested(*paths);
    socket->write(OpenRequest::acknowledgement());
    socket->disconnectFromServer();
}

void InstanceChannel::drop(QLocalSocket* socket) {
    if (pending_.contains(socket)) {
        forget(socket);
        socket->abort();
        socket->deleteLater();
    }
}

QByteArray InstanceChannel::forget(QLocalSocket* socket) {
    const auto found = pending_.find(socket);
    if (found == pending_.end())
        return {};
    QByteArray message = std::move(found->second);
    buffered_ -= message.size();
    pending_.erase(found);
    return message;
}

} // namespace clarivex
