#include "core/layouts/TypingSimulator.h"

#include <array>
#include <vector>

#include "core/layouts/SystemKeyboardLayoutTranslator.h"
#include "core/text/Graphemes.h"
#include "core/text/Utf16.h"

namespace plovik {
namespace {

// The typing block: letters, digits, punctuation, Return, Tab, Space and the ISO key.
// Keypad and editing keys are left out: text is typed on the main keys.
constexpr std::uint16_t kLastTypingKey = 50;
constexpr std::uint16_t kReturnKey = 36;
constexpr std::array<std::uint64_t, 4> kModifiers{0, 0x20000, 0x80000, 0xA0000};
// The key beside left Shift is missing on ANSI keyboards: a US typist reaches "<"
// with Shift and comma, so it is used only for what no other key types.
constexpr std::uint16_t kIsoKey = 10;

// Every stroke tried, in order of preference.
std::vector<PhysicalKeyStroke> candidateStrokes() {
    std::vector<PhysicalKeyStroke> strokes;
    for (const bool isIsoKey : {false, true}) {
        for (const std::uint64_t modifiers : kModifiers) {
            for (std::uint16_t keyCode = 0; keyCode <= kLastTypingKey; ++keyCode) {
                if ((keyCode == kIsoKey) == isIsoKey) {
                    strokes.emplace_back(keyCode, modifiers);
                }
            }
        }
    }
    return strokes;
}

}  // namespace

TypingSimulator::TypingSimulator(const KeyLayoutData& keyMap, std::uint32_t keyboardType) {
    std::vector<DeadKey> deadKeys;
    indexSingleKeys(keyMap, keyboardType, deadKeys);
    indexDeadKeySequences(keyMap, keyboardType, deadKeys);
    // Return types a line break in text fields, whichever of the two the text uses.
    if (const auto found = index_.find("\r");
        found != index_.end() && found->second.front().keyCode == kReturnKey) {
        index_.emplace("\n", found->second);
    }
}

namespace {

std::optional<std::string> type(const KeyLayoutData& keyMap, std::uint32_t keyboardType,
                                const PhysicalKeyStroke& stroke, std::uint32_t& deadKeyState) {
    KeyTranslationOutput output;
    const auto status = keyMap.translate(
        stroke.keyCode, SystemKeyboardLayoutTranslator::modifierState(stroke.modifiers),
        keyboardType, deadKeyState, output);
    if (status != KeyTranslationStatus::success ||
        output.length > KeyTranslationOutput::kCapacity) {
        return std::nullopt;
    }
    return text::Utf16::decode(std::u16string_view(output.units.data(), output.length));
}

}  // namespace

void TypingSimulator::indexSingleKeys(const KeyLayoutData& keyMap, std::uint32_t keyboardType,
                                      std::vector<DeadKey>& deadKeys) {
    for (const auto& stroke : candidateStrokes()) {
        std::uint32_t state = 0;
        const auto typed = type(keyMap, keyboardType, stroke, state);
        if (typed && state != 0) {
            deadKeys.push_back({stroke, state});
        } else if (typed && !typed->empty()) {
            index_.emplace(*typed, std::vector{stroke});
        }
    }
}

void TypingSimulator::indexDeadKeySequences(const KeyLayoutData& keyMap, std::uint32_t keyboardType,
                                            const std::vector<DeadKey>& deadKeys) {
    const auto strokes = candidateStrokes();
    for (const auto& deadKey : deadKeys) {
        for (const auto& stroke : strokes) {
            std::uint32_t state = deadKey.state;
            const auto typed = type(keyMap, keyboardType, stroke, state);
            if (typed && state == 0 && !typed->empty()) {
                index_.emplace(*typed, std::vector{deadKey.stroke, stroke});
            }
        }
    }
}

std::optional<std::vector<PhysicalKeyStroke>> TypingSimulator::strokesForCharacter(
    std::string_view character) const {
    const auto found = index_.find(std::string(character));
    if (found == index_.end()) {
        return std::nullopt;
    }
    return found->second;
}

std::vector<TypingSimulator::CharacterStrokes> TypingSimulator::strokesPerCharacter(
    std::string_view text) const {
    std::vector<CharacterStrokes> result;
    for (auto& character : text::Graphemes::split(text)) {
        auto strokes = strokesForCharacter(character);
        result.push_back({std::move(character), std::move(strokes)});
    }
    return result;
}

std::optional<std::vector<PhysicalKeyStroke>> TypingSimulator::strokes(
    std::string_view text) const {
    std::vector<PhysicalKeyStroke> all;
    for (const auto& character : strokesPerCharacter(text)) {
        if (!character.strokes) {
            return std::nullopt;
        }
        all.insert(all.end(), character.strokes->begin(), character.strokes->end());
    }
    return all;
}

}  // namespace plovik
