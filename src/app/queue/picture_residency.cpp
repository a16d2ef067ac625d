#include "app/queue/picture_residency.h"

#include <algorithm>

namespace clarivex {

PictureResidency::PictureResidency(int capacity)
    : capacity_(std::max(capacity, 1)) {}

std::vector<QUuid> PictureResidency::touch(const QUuid& id) {
    forget(id);
    recent_.insert(recent_.begin(), id);
    std::vector<QUuid> evicted;
    while (static_cast<int>(recent_.size()) > capacity_) {
        evicted.push_back(recent_.back());
        recent_.pop_back();
    }
    return evicted;
}

void PictureResidency::forget(const QUuid& id) {
    std::erase(recent_, id);
}

bool PictureResidency::holds(const QUuid& id) const {
    return std::find(recent_.begin(), recent_.end(), id) != recent_.end();
}

} // namespace clarivex
