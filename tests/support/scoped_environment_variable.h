#pragma once

#include <optional>
#include <string>

namespace clarivex::test {

// Sets (or, given nothing, removes) an environment variable for the life of the object, then
// puts back what was there before. Not for use while other threads read the environment.
class ScopedEnvironmentVariable {
public:
    ScopedEnvironmentVariable(std::string name, const std::optional<std::string>& value);
    ~ScopedEnvironmentVariable();
    ScopedEnvironmentVariable(const ScopedEnvironmentVariable&) = delete;
    ScopedEnvironmentVariable& operator=(const ScopedEnvironmentVariable&) = delete;

private:
    std::string name_;
    std::optional<std::string> previous_;
};

} // namespace clarivex::test
