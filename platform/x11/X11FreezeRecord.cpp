#include "platform/x11/X11FreezeRecord.h"

#include <algorithm>
#include <cmath>

namespace plovik {

void X11FreezeRecord::add(Duration freeze) {
    const auto length = std::max(std::chrono::duration_cast<std::chrono::microseconds>(freeze),
                                 std::chrono::microseconds(0));
    const auto step =
        std::min(static_cast<std::size_t>(length / kStep), static_cast<std::size_t>(kSteps - 1));
    std::lock_guard lock(mutex_);
    ++counts_[step];
    ++count_;
    longest_ = std::max(longest_, length);
}

std::optional<X11FreezeRecord::Summary> X11FreezeRecord::summary() const {
    std::lock_guard lock(mutex_);
    if (count_ == 0) {
        return std::nullopt;
    }
    return Summary{count_, percentile(0.50), percentile(0.99), longest_};
}

std::chrono::microseconds X11FreezeRecord::percentile(double fraction) const {
    const auto wanted =
        std::max<std::uint64_t>(1, static_cast<std::uint64_t>(std::ceil(fraction * count_)));
    std::uint64_t seen = 0;
    for (std::size_t step = 0; step < kSteps; ++step) {
        seen += counts_[step];
        if (seen >= wanted) {
            return std::min(kStep * static_cast<std::int64_t>(step + 1), longest_);
        }
    }
    return longest_;
}

}  // namespace plovik
