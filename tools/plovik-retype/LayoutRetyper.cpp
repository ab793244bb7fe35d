#include "tools/plovik-retype/LayoutRetyper.h"

#include "core/layouts/SystemKeyboardLayoutTranslator.h"
#include "core/text/CharacterClass.h"

namespace plovik {

LayoutRetyper::LayoutRetyper(const KeyLayoutData& meantLayout, const KeyLayoutData& selectedLayout)
    : typist_(meantLayout), selectedLayout_(selectedLayout) {}

std::string LayoutRetyper::retype(std::string_view text) const {
    std::string result;
    result.reserve(text.size());
    for (const auto& [character, strokes] : typist_.strokesPerCharacter(text)) {
        // Space, Tab and Return are the same keys in every layout; Return would show "\r".
        if (text::CharacterClass::isWhitespace(character)) {
            result += character;
            continue;
        }
        ComposeState compose;
        const auto shown = strokes ? SystemKeyboardLayoutTranslator::translateStrokes(
                                         selectedLayout_, *strokes, compose)
                                   : std::nullopt;
        // A dead key left pending shows nothing; keep the character rather than lose it.
        result += shown && !shown->empty() && !compose.isComposing() ? *shown : character;
    }
    return result;
}

}  // namespace plovik
