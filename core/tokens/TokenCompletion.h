#pragma once

#include <string>
#include <vector>

#include "core/capture/PhysicalKeyStroke.h"

namespace plovik {

// A finished word with the character that ended it, the text before it and the
// physical strokes of both.
struct TokenCompletion {
    std::string token;
    std::string delimiter;
    std::string contextBeforeToken;
    std::vector<PhysicalKeyStroke> physicalStrokes;
    std::vector<PhysicalKeyStroke> delimiterStrokes;

    bool operator==(const TokenCompletion&) const = default;
};

}  // namespace plovik
