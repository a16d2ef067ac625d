#pragma once

#include <QLocalServer>
#include <QObject>
#include <QString>
#include <QStringList>

namespace clarivex {

// Keeps Clarivex to one instance per user. The first instance listens on a local socket in the
// user's runtime folder, which only the user can reach, with the user's id in its name; a later
// start hands its files over and exits. A connection from another user's process or a message
// that is not a list of absolute paths is dropped. Main thread only.
class InstanceChannel : public QObject {
    Q_OBJECT
public:
    // `socketPath` empty: the per-user path (socketPathForUser()).
    explicit InstanceChannel(QString socketPath = {}, QObject* parent = nullptr);

    // "$XDG_RUNTIME_DIR/clarivex-<uid>.socket" (Qt makes the folder private when it must
    // create it).
    static QString socketPathForUser();

    const QString& socketPath() const { return socketPath_; }

    // Sends `paths` to a running instance; false when none answers (then this one should
    // listen). Blocks for a second at most.
    bool handOver(const QStringList& paths) const;

    // Becomes the running instance. A socket file left behind by a crashed instance is
    // replaced; false when the socket cannot be made or another instance answers on it.
    bool listen();

signals:
    // Paths (absolute, possibly none) from another start; the window should come to the front
    // even when the list is empty.
    void filesRequested(const QStringList& paths);

private:
    void accept();

    QString socketPath_;
    QLocalServer server_;
};

} // namespace clarivex
