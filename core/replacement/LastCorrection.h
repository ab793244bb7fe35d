#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <utility>

#include "core/layouts/KeyboardLayout.h"
#include "core/support/Uuid.h"

namespace plovik {

// The correction applied last, kept in memory so that it can be undone.
struct LastCorrection {
    Uuid recordID;
    std::string original;
    std::string corrected;
    std::string originalDelimiter;
    std::string delimiter;
    std::string applicationBundleIdentifier;
    KeyboardLayout sourceLayout;
    KeyboardLayout targetLayout;
    std::chrono::system_clock::time_point timestamp;

    // Without `originalDelimiter` the user's delimiter is the one written back.
    LastCorrection(Uuid recordID, std::string original, std::string corrected,
                   std::string delimiter, std::optional<std::string> originalDelimiter,
                   std::string applicationBundleIdentifier, KeyboardLayout sourceLayout,
                   KeyboardLayout targetLayout, std::chrono::system_clock::time_point timestamp)
        : recordID(recordID),
          original(std::move(original)),
          corrected(std::move(corrected)),
          originalDelimiter(originalDelimiter ? std::move(*originalDelimiter) : delimiter),
          delimiter(std::move(delimiter)),
          applicationBundleIdentifier(std::move(applicationBundleIdentifier)),
          sourceLayout(std::move(sourceLayout)),
          targetLayout(std::move(targetLayout)),
          timestamp(timestamp) {}

    bool operator==(const LastCorrection&) const = default;
};

}  // namespace plovik
