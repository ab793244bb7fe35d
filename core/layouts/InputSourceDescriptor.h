#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/layouts/KeyboardLayout.h"

namespace plovik {

// One enabled keyboard input source and whether corrections can use it.
struct InputSourceDescriptor {
    std::string id;
    // The localized name, or the id when the source has none.
    std::string name;
    std::vector<std::string> languages;
    bool isSelected = false;
    bool isSupported = false;
    std::optional<std::string> unsupportedReason;

    KeyboardLayout layout() const { return {id, name, languages}; }

    bool operator==(const InputSourceDescriptor&) const = default;
};

}  // namespace plovik
