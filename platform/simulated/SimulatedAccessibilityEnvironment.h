#pragma once

#include <functional>
#include <map>
#include <string>

namespace plovik {

// What every simulated element consults on each access: whether accessibility is
// granted, a hook that tests use to act in the middle of a procedure, and counters.
struct SimulatedAccessibilityEnvironment {
    bool trusted = true;
    // Called with the attribute name before each read or write is answered.
    std::function<void(const std::string& attribute)> onAccess;
    std::map<std::string, int> accessCounts;
};

}  // namespace plovik
