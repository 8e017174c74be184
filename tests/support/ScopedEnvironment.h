#pragma once

#include <stdlib.h>

#include <optional>
#include <string>

namespace brevanor::testing {

// Sets an environment variable (or unsets it, for nullptr) while it lives,
// and puts back what was there.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const char* value) : name_(name) {
        if (const char* old = ::getenv(name)) old_ = old;
        set(value);
    }
    ScopedEnvironment(const char* name, const std::string& value) : ScopedEnvironment(name, value.c_str()) {}
    ~ScopedEnvironment() { set(old_ ? old_->c_str() : nullptr); }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

    void set(const char* value) const { value ? ::setenv(name_, value, 1) : ::unsetenv(name_); }

private:
    const char* name_;
    std::optional<std::string> old_;
};

}  // namespace brevanor::testing
