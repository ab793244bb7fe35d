#include "platform/linux/XkbKeyLayoutData.h"

#include <algorithm>

#include "core/platform/Key.h"
#include "core/text/Utf8.h"
#include "platform/linux/XkbHandles.h"

namespace plovik {
namespace {

// Interned sequences beyond this are worked out each time; typing stays far below.
constexpr std::size_t kMaxCachedSequences = 1024;

std::string textOf(xkb_keysym_t keysym) {
    const std::uint32_t scalar = xkb_keysym_to_utf32(keysym);
    return scalar == 0 ? std::string() : text::Utf8::encode(static_cast<char32_t>(scalar));
}

bool startsComposition(xkb_keysym_t keysym) {
    return (keysym >= XKB_KEY_dead_grave && keysym <= 0xfe9f) || keysym == XKB_KEY_Multi_key;
}

xkb_mod_mask_t maskOf(xkb_keymap& keymap, const char* name) {
    const xkb_mod_index_t index = xkb_keymap_mod_get_index(&keymap, name);
    return index == XKB_MOD_INVALID ? 0 : xkb_mod_mask_t{1} << index;
}

// Feeds the keysyms in order; the state's status tells how the sequence ended.
xkb::ComposeState feed(xkb_compose_table& compose, const std::vector<xkb_keysym_t>& sequence) {
    xkb::ComposeState state(xkb_compose_state_new(&compose, XKB_COMPOSE_STATE_NO_FLAGS));
    for (const xkb_keysym_t keysym : sequence) {
        xkb_compose_state_feed(state.get(), keysym);
    }
    return state;
}

std::string composedText(xkb_compose_state& state) {
    char buffer[64];
    const int size = xkb_compose_state_get_utf8(&state, buffer, sizeof buffer);
    if (size > 0 && static_cast<std::size_t>(size) < sizeof buffer) {
        return std::string(buffer, static_cast<std::size_t>(size));
    }
    return textOf(xkb_compose_state_get_one_sym(&state));
}

}  // namespace

XkbKeyLayoutData::XkbKeyLayoutData(xkb_keymap& keymap, xkb_compose_table* compose)
    : compose_(compose ? xkb_compose_table_ref(compose) : nullptr) {
    readKeys(keymap);
    if (compose_) {
        readDeadKeys();
    }
}

std::size_t XkbKeyLayoutData::levelOf(Modifiers modifiers) {
    return (modifiers.has(Modifier::shift) ? 1 : 0) | (modifiers.has(Modifier::capsLock) ? 2 : 0) |
           (modifiers.has(Modifier::levelThree) ? 4 : 0);
}

void XkbKeyLayoutData::readKeys(xkb_keymap& keymap) {
    const xkb::State state(xkb_state_new(&keymap));
    const xkb_mod_mask_t shift = maskOf(keymap, XKB_MOD_NAME_SHIFT);
    const xkb_mod_mask_t caps = maskOf(keymap, XKB_MOD_NAME_CAPS);
    // The evdev rules put the third level (ISO_Level3_Shift, AltGr) on Mod5.
    const xkb_mod_mask_t levelThree = maskOf(keymap, "Mod5");
    // Num Lock stays on so that the keypad types digits, as on other systems.
    const xkb_mod_mask_t numLock = maskOf(keymap, XKB_MOD_NAME_NUM);
    for (std::size_t level = 0; level < kLevels; ++level) {
        const xkb_mod_mask_t depressed = ((level & 1) ? shift : 0) | ((level & 4) ? levelThree : 0);
        const xkb_mod_mask_t locked = numLock | ((level & 2) ? caps : 0);
        xkb_state_update_mask(state.get(), depressed, 0, locked, 0, 0, 0);
        for (std::size_t code = 1; code < kKeyCodes; ++code) {
            const auto keycode = static_cast<xkb_keycode_t>(code) + kXKeycodeOffset;
            const xkb_keysym_t keysym = xkb_state_key_get_one_sym(state.get(), keycode);
            if (keysym != XKB_KEY_NoSymbol) {
                keys_[code * kLevels + level] = KeyLevel{true, keysym, textOf(keysym), false};
            }
        }
    }
    // A level the key leaves empty types nothing there, like a real press; only a key
    // without any symbol has no place in the map.
    for (std::size_t code = 0; code < kKeyCodes; ++code) {
        const auto first = keys_.begin() + static_cast<std::ptrdiff_t>(code * kLevels);
        if (std::any_of(first, first + kLevels,
                        [](const KeyLevel& key) { return key.isPresent; })) {
            std::for_each(first, first + kLevels, [](KeyLevel& key) { key.isPresent = true; });
        }
    }
}

bool XkbKeyLayoutData::startsPendingSequence(xkb_keysym_t keysym) const {
    if (!startsComposition(keysym)) {
        return false;
    }
    const auto state = feed(*compose_, {keysym});
    return xkb_compose_state_get_status(state.get()) == XKB_COMPOSE_COMPOSING;
}

void XkbKeyLayoutData::readDeadKeys() {
    for (auto& key : keys_) {
        if (key.isPresent && startsPendingSequence(key.keysym)) {
            key.startsSequence = true;
            key.text.clear();
        }
    }
}

std::uint32_t XkbKeyLayoutData::sequenceId(const std::vector<xkb_keysym_t>& sequence) const {
    if (const auto found = sequenceIds_.find(sequence); found != sequenceIds_.end()) {
        return found->second;
    }
    if (sequenceIds_.size() >= kMaxCachedSequences) {
        return 0;
    }
    const auto id = static_cast<std::uint32_t>(sequenceIds_.size() + 1);
    sequenceIds_.emplace(sequence, id);
    return id;
}

XkbKeyLayoutData::Step XkbKeyLayoutData::step(const std::vector<xkb_keysym_t>& pending,
                                              xkb_keysym_t keysym) const {
    const std::uint32_t id = sequenceId(pending);
    const std::uint64_t cacheKey = std::uint64_t{id} << 32 | keysym;
    if (id != 0) {
        if (const auto found = steps_.find(cacheKey); found != steps_.end()) {
            return found->second;
        }
    }
    std::vector<xkb_keysym_t> sequence = pending;
    sequence.push_back(keysym);
    const auto composeState = feed(*compose_, sequence);
    const auto status = xkb_compose_state_get_status(composeState.get());
    Step result;
    if (status == XKB_COMPOSE_COMPOSED) {
        result.text = composedText(*composeState);
    } else if (status == XKB_COMPOSE_COMPOSING) {
        result.pending = std::move(sequence);
    } else {
        // The key does not continue the sequence: as in xkbcommon's compose state, the
        // accents are dropped and the key types what it types alone. A dead key types
        // nothing then and starts no sequence of its own.
        result.text = textOf(keysym);
    }
    if (id != 0) {
        steps_.emplace(cacheKey, result);
    }
    return result;
}

std::optional<std::string> XkbKeyLayoutData::translate(Key key, Modifiers modifiers,
                                                       ComposeState& compose) const {
    const std::size_t code = evdevCode(key);
    if (code >= kKeyCodes) {
        return std::nullopt;
    }
    const KeyLevel& level = keys_[code * kLevels + levelOf(modifiers)];
    if (!level.isPresent) {
        return std::nullopt;
    }
    if (level.keysym == XKB_KEY_NoSymbol) {
        // Nothing typed, and a pending sequence keeps waiting.
        return level.text;
    }
    if (!compose.isComposing()) {
        if (level.startsSequence) {
            compose.pending = {level.keysym};
        }
        return level.text;
    }
    if (!compose_) {
        compose.pending.clear();
        return level.text;
    }
    const std::lock_guard lock(mutex_);
    Step next = step(compose.pending, level.keysym);
    compose.pending = std::move(next.pending);
    return std::move(next.text);
}

}  // namespace plovik
