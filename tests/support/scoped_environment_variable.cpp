#include "support/scoped_environment_variable.h"

#include <cstdlib>

namespace clarivex::test {

namespace {

void assign(const std::string& name, const std::optional<std::string>& value) {
    if (value)
        ::setenv(name.c_str(), value->c_str(), 1);
    else
        ::unsetenv(name.c_str());
}

} // namespace

ScopedEnvironmentVariable::ScopedEnvironmentVariable(std::string name,
                                                     const std::optional<std::string>& value)
    : name_(std::move(name)) {
    if (const char* current = std::getenv(name_.c_str()))
        previous_ = current;
    assign(name_, value);
}

ScopedEnvironmentVariable::~ScopedEnvironmentVariable() {
    assign(name_, previous_);
}

} // namespace clarivex::test
