#pragma once

#include <chrono>
#include <functional>
#include <memory>

namespace plovik::ibus {

// A scheduled call; destroying it cancels the call.
class EngineTimer {
  public:
    virtual ~EngineTimer() = default;
};

// Calls back later on the engine's main loop.
class EngineTimers {
  public:
    virtual ~EngineTimers() = default;
    [[nodiscard]] virtual std::unique_ptr<EngineTimer> after(std::chrono::milliseconds delay,
                                                             std::function<void()> callback) = 0;
    virtual std::chrono::steady_clock::time_point now() const = 0;
};

}  // namespace plovik::ibus
