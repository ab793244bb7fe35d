#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <optional>

namespace plovik {

// How long each hold kept the user's keys from the applications, in steps of a tenth of a
// millisecond, so that a session of any length costs the same memory. Any thread.
class X11FreezeRecord {
  public:
    using Duration = std::chrono::steady_clock::duration;
    static constexpr std::chrono::microseconds kStep{100};
    // Longer freezes count in the last step; the longest is kept exactly.
    static constexpr std::size_t kSteps = 2000;

    struct Summary {
        std::uint64_t count = 0;
        std::chrono::microseconds median{0};
        std::chrono::microseconds ninetyNinth{0};
        std::chrono::microseconds longest{0};
    };

    void add(Duration freeze);
    // Absent before the first hold.
    std::optional<Summary> summary() const;

  private:
    // The upper end of the step in which the share `fraction` of all freezes is reached.
    std::chrono::microseconds percentile(double fraction) const;

    mutable std::mutex mutex_;
    std::array<std::uint64_t, kSteps> counts_{};
    std::uint64_t count_ = 0;
    std::chrono::microseconds longest_{0};
};

}  // namespace plovik
