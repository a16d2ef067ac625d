#pragma once

#include <optional>

namespace clarivex {

// A counter whose every change asks for an effect once. The first value seen only sets the
// starting point, so a view that appears with a count already raised plays nothing.
class TriggerCounter {
public:
    // True when `value` differs from the last value seen (and one was seen before).
    bool changedTo(int value) {
        const bool changed = last_ && *last_ != value;
        last_ = value;
        return changed;
    }
    int value() const { return last_.value_or(0); }

private:
    std::optional<int> last_;
};

} // namespace clarivex
