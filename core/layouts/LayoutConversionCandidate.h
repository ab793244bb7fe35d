#pragma once

#include <string>

#include "core/layouts/KeyboardLayout.h"

namespace plovik {

// A token and its delimiter as another layout would have produced them from the same keys.
struct LayoutConversionCandidate {
    KeyboardLayout layout;
    std::string token;
    std::string delimiter;

    bool operator==(const LayoutConversionCandidate&) const = default;
};

}  // namespace plovik
