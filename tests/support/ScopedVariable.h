#pragma once

#include <stdlib.h>

#include <optional>
#include <string>

namespace plovik::testing {

// Sets an environment variable for one scope and puts the old value back.
class ScopedVariable {
  public:
    ScopedVariable(const char* name, const std::string& value) : name_(name) {
        if (const char* previous = std::getenv(name)) {
            previous_ = previous;
        }
        ::setenv(name, value.c_str(), 1);
    }
    ~ScopedVariable() { previous_ ? ::setenv(name_, previous_->c_str(), 1) : ::unsetenv(name_); }
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

  private:
    const char* name_;
    std::optional<std::string> previous_;
};

}  // namespace plovik::testing
