#include "core/layouts/LayoutPairChooser.h"

#include <algorithm>
#include <set>

#include "core/capture/TypingBlock.h"
#include "core/text/CharacterClass.h"

namespace plovik {

namespace {

// Letter keys enough to tell another alphabet from a few extra letters of the same one; any
// two layouts past it are equally good partners and the system's order decides.
constexpr int kOtherAlphabet = 20;

std::optional<std::string> typedAlone(const KeyLayoutData& keyMap, Key key, Modifiers modifiers) {
    ComposeState compose;
    auto text = keyMap.translate(key, modifiers, compose);
    return text && !compose.isComposing() ? text : std::nullopt;
}

}  // namespace

std::optional<std::pair<LayoutPairChooser::Side, LayoutPairChooser::Side>>
LayoutPairChooser::choose(const std::vector<Side>& layouts,
                          const std::optional<std::string>& selectedId) {
    std::vector<const Side*> usable;
    for (const auto& side : layouts) {
        if (side.keyMap) {
            usable.push_back(&side);
        }
    }
    if (usable.size() < 2) {
        return std::nullopt;
    }
    const auto selected = std::find_if(usable.begin(), usable.end(), [&](const Side* side) {
        return side->layout.id == selectedId;
    });
    const Side& first = selected == usable.end() ? *usable.front() : **selected;
    const Side* partner = nullptr;
    int best = -1;
    for (const Side* candidate : usable) {
        if (candidate == &first) {
            continue;
        }
        const int score =
            std::min(foreignLetterKeys(*first.keyMap, *candidate->keyMap), kOtherAlphabet);
        if (score > best) {
            best = score;
            partner = candidate;
        }
    }
    return std::pair(first, *partner);
}

int LayoutPairChooser::foreignLetterKeys(const KeyLayoutData& selected,
                                         const KeyLayoutData& candidate) {
    std::set<std::string> typedBySelected;
    for (const Key key : TypingBlock::kKeys) {
        for (const Modifiers modifiers : {Modifiers(), Modifiers(Modifier::shift)}) {
            if (auto text = typedAlone(selected, key, modifiers)) {
                typedBySelected.insert(std::move(*text));
            }
        }
    }
    int count = 0;
    for (const Key key : TypingBlock::kKeys) {
        const auto text = typedAlone(candidate, key, {});
        if (text && text::CharacterClass::isLetter(*text) && !typedBySelected.contains(*text)) {
            ++count;
        }
    }
    return count;
}

}  // namespace plovik
