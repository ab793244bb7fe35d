#pragma once

#include <chrono>
#include <optional>
#include <string>

#include "platform/virtualsession/ChildProcess.h"

namespace plovik {

// The line protocol of the fixture windows on their standard streams ("get single" is
// answered by "single TEXT", "ready" once the window is up).
class FixtureLines {
  public:
    explicit FixtureLines(ChildProcess& process) : process_(process) {}

    // The first line starting with `prefix` within `timeout`.
    std::optional<std::string> waitFor(const std::string& prefix,
                                       std::chrono::milliseconds timeout);
    void send(const std::string& line);
    // The field's text as the application holds it ("single", "multi", "password");
    // line feeds come back escaped.
    std::optional<std::string> text(const std::string& field);

  private:
    ChildProcess& process_;
    std::string pending_;
};

}  // namespace plovik
