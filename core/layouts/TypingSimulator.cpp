#include "core/layouts/TypingSimulator.h"

#include <array>
#include <vector>

#include "core/capture/TypingBlock.h"
#include "core/text/Graphemes.h"

namespace plovik {
namespace {

constexpr std::array<Modifiers, 4> kModifiers{Modifiers(), Modifier::shift, Modifier::levelThree,
                                              Modifier::levelThree | Modifier::shift};
// The key beside left Shift is missing on ANSI keyboards: a US typist reaches "<"
// with Shift and comma, so it is used only for what no other key types.
constexpr Key kIsoKey = Key::iso102nd;

// Every stroke tried, in order of preference.
std::vector<PhysicalKeyStroke> candidateStrokes() {
    std::vector<PhysicalKeyStroke> strokes;
    for (const bool isIsoKey : {false, true}) {
        for (const Modifiers modifiers : kModifiers) {
            for (const Key key : TypingBlock::kKeys) {
                if ((key == kIsoKey) == isIsoKey) {
                    strokes.emplace_back(key, modifiers);
                }
            }
        }
    }
    return strokes;
}

}  // namespace

TypingSimulator::TypingSimulator(const KeyLayoutData& keyMap) {
    std::vector<DeadKey> deadKeys;
    indexSingleKeys(keyMap, deadKeys);
    indexDeadKeySequences(keyMap, deadKeys);
    // Return types a line break in text fields, whichever of the two the text uses.
    if (const auto found = index_.find("\r");
        found != index_.end() && found->second.front().key == Key::enter) {
        index_.emplace("\n", found->second);
    }
}

namespace {

std::optional<std::string> type(const KeyLayoutData& keyMap, const PhysicalKeyStroke& stroke,
                                ComposeState& compose) {
    return keyMap.translate(stroke.key, stroke.modifiers, compose);
}

}  // namespace

void TypingSimulator::indexSingleKeys(const KeyLayoutData& keyMap, std::vector<DeadKey>& deadKeys) {
    for (const auto& stroke : candidateStrokes()) {
        ComposeState state;
        const auto typed = type(keyMap, stroke, state);
        if (typed && state.isComposing()) {
            deadKeys.push_back({stroke, state});
        } else if (typed && !typed->empty()) {
            index_.emplace(*typed, std::vector{stroke});
        }
    }
}

void TypingSimulator::indexDeadKeySequences(const KeyLayoutData& keyMap,
                                            const std::vector<DeadKey>& deadKeys) {
    const auto strokes = candidateStrokes();
    for (const auto& deadKey : deadKeys) {
        for (const auto& stroke : strokes) {
            ComposeState state = deadKey.state;
            const auto typed = type(keyMap, stroke, state);
            if (typed && !state.isComposing() && !typed->empty()) {
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
