#pragma once

#include <chrono>
#include <thread>

namespace plovik::testing {

// Waits until the condition holds, checking every few milliseconds; false on
// timeout.
template <typename Condition>
bool waitUntil(Condition condition, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

}  // namespace plovik::testing
