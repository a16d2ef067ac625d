#pragma once

#include <optional>

namespace clarivex {

// A counter whose every change asks for an effect once. The first value seen only sets the
// starting point, so a view that appears with a count already raised plays nothing.
class TriggerCounter {
public:
    // Takes `value` as a trigger property's setter does: `changed` hears it whenever it differs
    // from the value held (0 before any), `fire` is called when it asks for the effect.
    template <typename Changed, typename Fire>
    void take(int value, Changed&& changed, Fire&& fire) {
        const int previous = this->value();
        const bool fires = last_ && *last_ != value;
        last_ = value;
        if (value != previous)
            changed(value);
        if (fires)
            fire();
    }
    int value() const { return last_.value_or(0); }

private:
    std::optional<int> last_;
};

} // namespace clarivex
