#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace plovik {

// Which engines the user's IBus daemon offers, and making it read them again.
class IbusEngineRegistry {
  public:
    virtual ~IbusEngineRegistry() = default;
    // Whether IBus knows every named engine; absent when IBus cannot be reached.
    virtual std::optional<bool> knows(const std::vector<std::string>& names) = 0;
    // Has IBus build its list of engines afresh and waits, at most `timeout`, until it
    // knows `names`; false when it did not come to know them.
    virtual bool reload(const std::vector<std::string>& names,
                        std::chrono::milliseconds timeout) = 0;
};

}  // namespace plovik
