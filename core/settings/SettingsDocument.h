#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "core/settings/AppSettings.h"

namespace plovik {

// The stored form of the settings: one compact UTF-8 JSON object.
class SettingsDocument {
  public:
    // Absent when the settings cannot be written (a threshold that is not finite).
    static std::optional<std::vector<std::uint8_t>> encode(const AppSettings& settings);
    // Absent when the bytes are not a complete, well-typed settings document.
    static std::optional<AppSettings> decode(std::span<const std::uint8_t> document);
};

}  // namespace plovik
