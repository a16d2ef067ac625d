#pragma once

#include <QString>
#include <QStringList>

namespace clarivex {

// What a snapshot shows: the demonstration state and the media files to put in the queue.
struct SnapshotRequest {
    enum class State { empty, done, running };

    State state = State::running;
    // Absolute paths, in the order given.
    QStringList files;

    // The arguments after the output file: the first "--state" followed by another argument
    // names the state (anything but "empty" and "done" means running) and both leave the list;
    // the rest are files, relative ones taken from `folder`.
    static SnapshotRequest parse(const QStringList& arguments, const QString& folder);

    bool operator==(const SnapshotRequest&) const = default;
};

} // namespace clarivex
