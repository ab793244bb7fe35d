#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/layouts/KeyboardLayout.h"

namespace plovik {

// Converts text between two layouts by character tables, without key maps.
class LayoutMapping {
  public:
    virtual ~LayoutMapping() = default;
    virtual std::string convert(std::string_view text, const KeyboardLayout& from,
                                const KeyboardLayout& to) const = 0;
    virtual std::optional<KeyboardLayout> likelyLayout(std::string_view text) const = 0;
};

}  // namespace plovik
