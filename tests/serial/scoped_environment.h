#pragma once

#include <cstdlib>
#include <string>
#include <utility>

namespace kt::serial::test {

// Sets an environment variable for the lifetime of this object and removes it afterwards.
// Only the test's main thread touches the environment.
class ScopedEnvironment {
public:
    ScopedEnvironment(std::string name, const std::string& value) : name_(std::move(name))
    {
        ::setenv(name_.c_str(), value.c_str(), 1);
    }
    ~ScopedEnvironment() { ::unsetenv(name_.c_str()); }

    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    std::string name_;
};

}  // namespace kt::serial::test
