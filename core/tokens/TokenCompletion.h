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
    // For a word that went on after its delimiter became a letter in the layout it was
    // corrected into: the whole word as it was typed. Empty otherwise.
    std::string typedText = {};

    bool operator==(const TokenCompletion&) const = default;
};

}  // namespace plovik
