#pragma once

#include "app/shell/open_request.h"

#include <QLocalServer>
#include <QObject>

#include <filesystem>
#include <optional>
#include <string>
#include <unordered_map>

#include <sys/types.h>
#include <unistd.h>

class QLocalSocket;

namespace clarivex {

// The local socket on which the running instance takes files from later starts. The server
// side reads each request, hands its paths on and answers once they are queued; a connection
// from another user's process, a message that is not a list of absolute paths, one that is too
// slow or too large, and anything past the bounds on connections and buffered bytes are dropped
// without a word. The client side (`send`) is a blocking call of its own. Server: main thread.
class InstanceChannel : public QObject {
    Q_OBJECT
public:
    // A flood from the user's own programs must not eat the window's memory.
    static constexpr std::size_t maximumConnections = 16;
    static constexpr qsizetype maximumBufferedBytes = 2 * OpenRequest::maximumBytes;

    enum class Answer {
        // The files are in the running instance's queue.
        acknowledged,
        // Nothing listens there.
        noListener,
        // The listener closed without taking the files (quitting, or the request was refused).
        refused,
        // Someone else listens there; nothing was sent.
        stranger,
    };

    explicit InstanceChannel(QObject* parent = nullptr);
    ~InstanceChannel() override;

    // Listens at `socketPath` in a private folder. Whatever file is at that name goes first:
    // only the holder of the instance lock listens, so it is a crashed instance's socket or a
    // planted one. The reason, in Russian, when the socket cannot be made.
    std::optional<std::string> listen(const std::filesystem::path& socketPath);
    // From now on no request is taken: the socket goes, and the requests on their way get no
    // answer, so that their senders open the files themselves.
    void stopAccepting();

    std::size_t openConnections() const { return pending_.size(); }
    qsizetype bufferedBytes() const { return buffered_; }

    // Sends `paths` to the listener at `socketPath` if it runs as `owner`, and waits for its
    // answer. Any thread.
    static Answer send(const std::filesystem::path& socketPath, const OpenRequest::Paths& paths,
                       uid_t owner = ::getuid());

Q_SIGNALS:
    // Paths (absolute, possibly none) from another start; the window should come to the front
    // even when the list is empty. Connect directly: the answer goes out when this returns.
    void filesRequested(const std::vector<std::filesystem::path>& paths);

private:
    void accept();
    void read(QLocalSocket* socket);
    void finish(QLocalSocket* socket);
    // Forgets a connection and closes it at once, unanswered.
    void drop(QLocalSocket* socket);
    QByteArray forget(QLocalSocket* socket);

    QLocalServer server_;
    std::unordered_map<QLocalSocket*, QByteArray> pending_;
    qsizetype buffered_ = 0;
};

} // namespace clarivex
