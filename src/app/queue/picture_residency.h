#pragma once

#include <QUuid>

#include <vector>

namespace clarivex {

// Which jobs may hold their large pictures (the stage-sized preview and the comparison
// pictures): the focused job and the few focused most recently before it. Bookkeeping
// only; the picture loader drops and reloads the pictures. Main thread.
class PictureResidency {
public:
    explicit PictureResidency(int capacity);

    // Puts `id` first. Returns the jobs that no longer fit, which must give up their pictures.
    std::vector<QUuid> touch(const QUuid& id);
    void forget(const QUuid& id);
    bool holds(const QUuid& id) const;

private:
    int capacity_;
    // Most recent first.
    std::vector<QUuid> recent_;
};

} // namespace clarivex
