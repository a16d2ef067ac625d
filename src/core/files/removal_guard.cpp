#include "core/files/removal_guard.h"

#include <utility>

namespace clarivex {

RemovalGuard::RemovalGuard(std::filesystem::path path)
    : path_(std::move(path)) {}

RemovalGuard::~RemovalGuard() {
    removeGuarded();
}

void RemovalGuard::guard(std::filesystem::path path) {
    removeGuarded();
    path_ = std::move(path);
}

void RemovalGuard::commit() {
    path_.clear();
}

void RemovalGuard::removeGuarded() {
    if (path_.empty())
        return;
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
    path_.clear();
}

} // namespace clarivex
