#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "core/layouts/KeyboardLayout.h"
#include "core/layouts/LayoutMapping.h"

namespace plovik {

// The fixed character tables between the US and the Russian layouts, for when the
// physical strokes of a token are not at hand. A character is a grapheme cluster.
class EnglishRussianLayoutMapper final : public LayoutMapping {
  public:
    using CharacterMap = std::unordered_map<std::string, std::string>;

    EnglishRussianLayoutMapper();

    // Replaces every character found in the source layout's table; the rest passes
    // through, so the result has as many characters as the text.
    std::string convert(std::string_view text, const KeyboardLayout& from,
                        const KeyboardLayout& to) const override;
    // English when every letter is ASCII, Russian when none is, absent when mixed or
    // when the text has no letters.
    std::optional<KeyboardLayout> likelyLayout(std::string_view text) const override;

    const CharacterMap& englishToRussian() const { return englishToRussian_; }
    const CharacterMap& russianToEnglish() const { return russianToEnglish_; }

  private:
    CharacterMap englishToRussian_;
    CharacterMap russianToEnglish_;
};

}  // namespace plovik
