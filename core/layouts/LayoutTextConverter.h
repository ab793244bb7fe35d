#pragma once

#include <array>
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/capture/PhysicalKeyStroke.h"
#include "core/layouts/KeyboardLayout.h"
#include "core/layouts/TypingSimulator.h"
#include "core/platform/KeyLayoutData.h"

namespace plovik {

// Turns text typed with the wrong one of two layouts into what the same physical keys
// type with the other: each character is looked up among the keys of the layout it was
// typed in and those keys are read through the other layout's key map. The direction is
// decided per run of letters, so that a text mixing both layouts has each part turned
// round; characters between runs go with the run they follow. Whitespace, and every
// character no key of its layout types, stays as it is.
class LayoutTextConverter {
  public:
    struct Side {
        KeyboardLayout layout;
        std::shared_ptr<const KeyLayoutData> keyMap;
    };

    struct Conversion {
        std::string text;
        // The layout the last converted run reads in now; absent when nothing changed.
        std::optional<KeyboardLayout> target;

        bool operator==(const Conversion&) const = default;
    };

    // `preferred` is taken for a run both layouts type: the one the user has selected.
    // Throws std::invalid_argument when a key map is missing.
    LayoutTextConverter(Side preferred, Side other);

    Conversion convert(std::string_view text) const;

    const KeyboardLayout& preferredLayout() const { return sides_[0].layout; }
    const KeyboardLayout& otherLayout() const { return sides_[1].layout; }

  private:
    // Index into sides_; kNoSide for a character that stays as it is.
    using SideIndex = std::size_t;
    static constexpr SideIndex kNoSide = 2;

    struct Character {
        std::string text;
        bool isLetter = false;
        bool isWhitespace = false;
        // The keys of each side that type it, when that side types it.
        std::array<std::optional<std::vector<PhysicalKeyStroke>>, 2> strokes;
        SideIndex source = kNoSide;
    };

    std::vector<Character> characters(std::string_view text) const;
    void assignLetterRuns(std::vector<Character>& characters) const;
    static void assignOtherCharacters(std::vector<Character>& characters);
    SideIndex sideTyping(const Character& character) const;
    // What the character's keys type on the other side, and how many characters of the
    // text that covers (two when a dead key there composes with the next character).
    std::optional<std::pair<std::string, std::size_t>> converted(
        const std::vector<Character>& characters, std::size_t index) const;

    std::array<Side, 2> sides_;
    std::array<std::unique_ptr<TypingSimulator>, 2> typists_;
};

}  // namespace plovik
