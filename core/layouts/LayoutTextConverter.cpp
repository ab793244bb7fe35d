#include "core/layouts/LayoutTextConverter.h"

#include <algorithm>
#include <stdexcept>

#include "core/layouts/SystemKeyboardLayoutTranslator.h"
#include "core/text/CharacterClass.h"
#include "core/text/Graphemes.h"
#include "core/text/Utf8.h"

namespace plovik {

namespace {

// An accent typed with Space after its dead key has no letter of its own: Space is the
// same key in every layout, so the other layout would only show a loose accent or space.
std::optional<std::vector<PhysicalKeyStroke>> usable(
    std::optional<std::vector<PhysicalKeyStroke>> strokes) {
    if (!strokes || strokes->empty() ||
        std::any_of(strokes->begin(), strokes->end(),
                    [](const PhysicalKeyStroke& stroke) { return stroke.key == Key::space; })) {
        return std::nullopt;
    }
    return strokes;
}

bool isPrintable(const std::string& text) {
    const auto scalars = text::Utf8::scalars(text);
    return !text.empty() && std::none_of(scalars.begin(), scalars.end(), [](char32_t scalar) {
        return text::CharacterClass::isControl(scalar);
    });
}

std::optional<std::string> typed(const KeyLayoutData& keyMap,
                                 const std::vector<PhysicalKeyStroke>& strokes,
                                 ComposeState& compose) {
    return SystemKeyboardLayoutTranslator::translateStrokes(keyMap, strokes, compose);
}

}  // namespace

LayoutTextConverter::LayoutTextConverter(Side preferred, Side other)
    : sides_{std::move(preferred), std::move(other)} {
    for (std::size_t side = 0; side < sides_.size(); ++side) {
        if (!sides_[side].keyMap) {
            throw std::invalid_argument("a layout to convert between has no key map: " +
                                        sides_[side].layout.id);
        }
        typists_[side] = std::make_unique<TypingSimulator>(*sides_[side].keyMap);
    }
}

LayoutTextConverter::Conversion LayoutTextConverter::convert(std::string_view text) const {
    auto all = characters(text);
    assignLetterRuns(all);
    assignOtherCharacters(all);
    Conversion conversion;
    conversion.text.reserve(text.size() * 2);
    for (std::size_t index = 0; index < all.size();) {
        const auto result = all[index].source == kNoSide ? std::nullopt : converted(all, index);
        if (!result) {
            conversion.text += all[index].text;
            ++index;
            continue;
        }
        const auto& [replacement, covered] = *result;
        std::string original;
        for (std::size_t offset = 0; offset < covered; ++offset) {
            original += all[index + offset].text;
        }
        if (replacement != original) {
            conversion.target = sides_[1 - all[index].source].layout;
        }
        conversion.text += replacement;
        index += covered;
    }
    return conversion;
}

std::vector<LayoutTextConverter::Character> LayoutTextConverter::characters(
    std::string_view text) const {
    std::vector<Character> result;
    for (auto& grapheme : text::Graphemes::split(text)) {
        Character character;
        character.isWhitespace = text::CharacterClass::isWhitespace(grapheme);
        character.isLetter = !character.isWhitespace && text::CharacterClass::isLetter(grapheme);
        if (!character.isWhitespace) {
            for (std::size_t side = 0; side < typists_.size(); ++side) {
                character.strokes[side] = usable(typists_[side]->strokesForCharacter(grapheme));
            }
        }
        character.text = std::move(grapheme);
        result.push_back(std::move(character));
    }
    return result;
}

LayoutTextConverter::SideIndex LayoutTextConverter::sideTyping(const Character& character) const {
    for (SideIndex side = 0; side < typists_.size(); ++side) {
        if (character.strokes[side]) {
            return side;
        }
    }
    return kNoSide;
}

// A run of letters belongs to the layout that types all of it, the preferred one first;
// only a run that neither types whole is split letter by letter.
void LayoutTextConverter::assignLetterRuns(std::vector<Character>& characters) const {
    for (std::size_t start = 0; start < characters.size();) {
        if (!characters[start].isLetter) {
            ++start;
            continue;
        }
        std::size_t end = start;
        while (end < characters.size() && characters[end].isLetter) {
            ++end;
        }
        const auto typesAll = [&](SideIndex side) {
            return std::all_of(characters.begin() + start, characters.begin() + end,
                               [side](const Character& c) { return c.strokes[side].has_value(); });
        };
        const SideIndex whole = typesAll(0) ? 0 : typesAll(1) ? 1 : kNoSide;
        for (std::size_t index = start; index < end; ++index) {
            characters[index].source = whole != kNoSide ? whole : sideTyping(characters[index]);
        }
        start = end;
    }
}

// Punctuation, digits and signs were typed with the layout of the letters before them
// (after them at the start of the text); in a text without letters, with the preferred one.
void LayoutTextConverter::assignOtherCharacters(std::vector<Character>& characters) {
    SideIndex previous = kNoSide;
    std::vector<std::size_t> leading;
    for (std::size_t index = 0; index < characters.size(); ++index) {
        Character& character = characters[index];
        if (character.isLetter) {
            if (character.source != kNoSide) {
                previous = character.source;
                for (const std::size_t waiting : leading) {
                    characters[waiting].source = previous;
                }
                leading.clear();
            }
        } else if (!character.isWhitespace) {
            if (previous != kNoSide) {
                character.source = previous;
            } else {
                leading.push_back(index);
            }
        }
    }
    for (const std::size_t waiting : leading) {
        Character& character = characters[waiting];
        character.source = character.strokes[0] ? 0 : character.strokes[1] ? 1 : kNoSide;
    }
}

std::optional<std::pair<std::string, std::size_t>> LayoutTextConverter::converted(
    const std::vector<Character>& characters, std::size_t index) const {
    const Character& character = characters[index];
    const SideIndex source = character.source;
    const auto& strokes = character.strokes[source];
    if (!strokes) {
        return std::nullopt;
    }
    const KeyLayoutData& target = *sides_[1 - source].keyMap;
    ComposeState compose;
    const auto text = typed(target, *strokes, compose);
    if (!text) {
        return std::nullopt;
    }
    if (!compose.isComposing()) {
        return isPrintable(*text) ? std::optional(std::pair(*text, std::size_t{1})) : std::nullopt;
    }
    // A dead key there means something only with a next character it composes with;
    // otherwise the character stays, rather than vanish into a pending accent.
    if (index + 1 == characters.size() || characters[index + 1].source != source ||
        !characters[index + 1].strokes[source]) {
        return std::nullopt;
    }
    const auto& nextStrokes = *characters[index + 1].strokes[source];
    ComposeState alone;
    const auto plain = typed(target, nextStrokes, alone);
    const auto composed = typed(target, nextStrokes, compose);
    if (!composed || compose.isComposing() || !isPrintable(*text + *composed) ||
        (plain && !alone.isComposing() && *plain == *composed)) {
        return std::nullopt;
    }
    return std::pair(*text + *composed, std::size_t{2});
}

}  // namespace plovik
