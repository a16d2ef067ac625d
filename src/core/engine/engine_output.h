#pragma once

#include <mutex>
#include <string>
#include <vector>

namespace clarivex {

// What the engine said during one run, sorted into what matters when its result is unusable:
// it exits 0 even when it failed, so its words are the only sign of why. Lines arrive from
// both of its streams at once; every member is safe to call from any thread.
class EngineOutput {
public:
    void add(const std::string& line);

    // A Vulkan allocation failure: out of graphics memory, which a smaller tile may cure.
    bool namesAllocationFailure() const;
    // Whether it said anything besides its device list and its percentages.
    bool explains() const;
    // Its last explaining lines, oldest first, joined with line feeds.
    std::string explanation() const;

private:
    mutable std::mutex lock_;
    std::vector<std::string> explaining_;
    bool allocationFailure_ = false;
};

} // namespace clarivex
