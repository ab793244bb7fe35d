#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/capture/PhysicalKeyStroke.h"
#include "core/platform/KeyLayoutData.h"

namespace plovik {

// The physical strokes that type a text under one layout, found by searching the
// layout's key map: single keys first (fewest modifiers, then the typing block's order; the
// ISO key only for what no other key types), then a dead key followed by a key for
// composed characters. Characters the layout cannot type are reported, never guessed.
class TypingSimulator {
  public:
    struct CharacterStrokes {
        std::string character;
        // Absent when the layout cannot type the character.
        std::optional<std::vector<PhysicalKeyStroke>> strokes;

        bool operator==(const CharacterStrokes&) const = default;
    };

    explicit TypingSimulator(const KeyLayoutData& keyMap);

    // The strokes of a whole text; absent when any character cannot be typed.
    std::optional<std::vector<PhysicalKeyStroke>> strokes(std::string_view text) const;
    // The strokes of each character (grapheme cluster) in order.
    std::vector<CharacterStrokes> strokesPerCharacter(std::string_view text) const;
    std::optional<std::vector<PhysicalKeyStroke>> strokesForCharacter(
        std::string_view character) const;

  private:
    struct DeadKey {
        PhysicalKeyStroke stroke;
        ComposeState state;
    };

    void indexSingleKeys(const KeyLayoutData& keyMap, std::vector<DeadKey>& deadKeys);
    void indexDeadKeySequences(const KeyLayoutData& keyMap, const std::vector<DeadKey>& deadKeys);

    // Built once; the key map is not needed afterwards.
    std::unordered_map<std::string, std::vector<PhysicalKeyStroke>> index_;
};

}  // namespace plovik
