#include "platform/linux/XkbKeyLayoutData.h"

#include <algorithm>

#include "core/text/Utf16.h"
#include "core/text/Utf8.h"
#include "platform/linux/XkbHandles.h"
#include "platform/linux/XkbKeyCodeTable.h"

namespace plovik {
namespace {

// Pending sequences beyond this are treated as not composing; typing stays far below.
constexpr std::size_t kMaxPendingSequences = 1024;

std::u16string textOf(xkb_keysym_t keysym) {
    const std::uint32_t scalar = xkb_keysym_to_utf32(keysym);
    if (scalar == 0) {
        return {};
    }
    return text::Utf16::encode(text::Utf8::encode(static_cast<char32_t>(scalar)));
}

bool startsComposition(xkb_keysym_t keysym) {
    return (keysym >= XKB_KEY_dead_grave && keysym <= 0xfe9f) || keysym == XKB_KEY_Multi_key;
}

xkb_mod_mask_t maskOf(xkb_keymap& keymap, const char* name) {
    const xkb_mod_index_t index = xkb_keymap_mod_get_index(&keymap, name);
    return index == XKB_MOD_INVALID ? 0 : xkb_mod_mask_t{1} << index;
}

std::uint64_t stepKey(std::uint32_t state, xkb_keysym_t keysym) {
    return std::uint64_t{state} << 32 | keysym;
}

// Feeds the keysyms in order; the state's status tells how the sequence ended.
xkb::ComposeState feed(xkb_compose_table& compose, const std::vector<xkb_keysym_t>& sequence) {
    xkb::ComposeState state(xkb_compose_state_new(&compose, XKB_COMPOSE_STATE_NO_FLAGS));
    for (const xkb_keysym_t keysym : sequence) {
        xkb_compose_state_feed(state.get(), keysym);
    }
    return state;
}

std::u16string composedText(xkb_compose_state& state) {
    char buffer[64];
    const int size = xkb_compose_state_get_utf8(&state, buffer, sizeof buffer);
    if (size > 0 && static_cast<std::size_t>(size) < sizeof buffer) {
        return text::Utf16::encode(std::string_view(buffer, size));
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

void XkbKeyLayoutData::readKeys(xkb_keymap& keymap) {
    const xkb::State state(xkb_state_new(&keymap));
    const xkb_mod_mask_t shift = maskOf(keymap, XKB_MOD_NAME_SHIFT);
    const xkb_mod_mask_t caps = maskOf(keymap, XKB_MOD_NAME_CAPS);
    // The evdev rules put the third level (ISO_Level3_Shift, AltGr) on Mod5.
    const xkb_mod_mask_t levelThree = maskOf(keymap, "Mod5");
    // Num Lock stays on so that the keypad types digits, as on other systems.
    const xkb_mod_mask_t numLock = maskOf(keymap, XKB_MOD_NAME_NUM);
    for (std::size_t level = 0; level < kLevels; ++level) {
        const std::uint32_t modifierState = static_cast<std::uint32_t>(level) << 1;
        const xkb_mod_mask_t depressed = ((modifierState & kShiftState) ? shift : 0) |
                                         ((modifierState & kOptionState) ? levelThree : 0);
        const xkb_mod_mask_t locked = numLock | ((modifierState & kCapsLockState) ? caps : 0);
        xkb_state_update_mask(state.get(), depressed, 0, locked, 0, 0, 0);
        for (const std::uint16_t keyCode : XkbKeyCodeTable::virtualKeyCodes()) {
            if (keyCode >= kKeyCodes) {
                continue;
            }
            const xkb_keysym_t keysym =
                xkb_state_key_get_one_sym(state.get(), *XkbKeyCodeTable::xkbKeyCode(keyCode));
            if (keysym == XKB_KEY_NoSymbol) {
                continue;
            }
            keys_[keyCode * kLevels + level] = Key{true, keysym, textOf(keysym), 0};
        }
    }
    // A level the key leaves empty types nothing there, like a real press; only a key
    // without any symbol has no place in the map.
    for (std::size_t keyCode = 0; keyCode < kKeyCodes; ++keyCode) {
        const auto first = keys_.begin() + static_cast<std::ptrdiff_t>(keyCode * kLevels);
        if (std::any_of(first, first + kLevels, [](const Key& key) { return key.isPresent; })) {
            std::for_each(first, first + kLevels, [](Key& key) { key.isPresent = true; });
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

std::uint32_t XkbKeyLayoutData::pendingState(const std::vector<xkb_keysym_t>& sequence) const {
    if (const auto found = pendingStates_.find(sequence); found != pendingStates_.end()) {
        return found->second;
    }
    if (pending_.size() >= kMaxPendingSequences) {
        return 0;
    }
    pending_.push_back(sequence);
    const auto state = static_cast<std::uint32_t>(pending_.size());
    pendingStates_.emplace(sequence, state);
    return state;
}

void XkbKeyLayoutData::readDeadKeys() {
    for (auto& key : keys_) {
        if (key.isPresent && startsPendingSequence(key.keysym)) {
            key.deadKeyState = pendingState({key.keysym});
            key.text.clear();
        }
    }
}

const XkbKeyLayoutData::Step& XkbKeyLayoutData::step(std::uint32_t state,
                                                     xkb_keysym_t keysym) const {
    const std::uint64_t key = stepKey(state, keysym);
    if (const auto found = steps_.find(key); found != steps_.end()) {
        return found->second;
    }
    std::vector<xkb_keysym_t> sequence = pending_[state - 1];
    sequence.push_back(keysym);
    const auto composeState = feed(*compose_, sequence);
    const auto status = xkb_compose_state_get_status(composeState.get());
    Step result;
    if (status == XKB_COMPOSE_COMPOSED) {
        result.text = composedText(*composeState);
    } else if (const std::uint32_t next =
                   status == XKB_COMPOSE_COMPOSING ? pendingState(sequence) : 0) {
        result.nextState = next;
    } else {
        // The key does not continue the sequence: the accents stand alone, then the
        // key acts as it would on its own.
        result.text = standaloneText(pending_[state - 1]);
        if (startsPendingSequence(keysym)) {
            result.nextState = pendingState({keysym});
        } else {
            result.text += textOf(keysym);
        }
    }
    return steps_.emplace(key, std::move(result)).first->second;
}

std::u16string XkbKeyLayoutData::standaloneText(const std::vector<xkb_keysym_t>& sequence) const {
    std::u16string result;
    for (const xkb_keysym_t keysym : sequence) {
        const auto state = feed(*compose_, {keysym, XKB_KEY_space});
        result += xkb_compose_state_get_status(state.get()) == XKB_COMPOSE_COMPOSED
                      ? composedText(*state)
                      : textOf(keysym);
    }
    return result;
}

KeyTranslationStatus XkbKeyLayoutData::translate(std::uint16_t keyCode, std::uint32_t modifierState,
                                                 std::uint32_t /*keyboardType*/,
                                                 std::uint32_t& deadKeyState,
                                                 KeyTranslationOutput& output) const {
    // XKB maps do not vary with the physical keyboard type.
    if (keyCode >= kKeyCodes) {
        return KeyTranslationStatus::invalidKeyCode;
    }
    const Key& key = keys_[keyCode * kLevels + ((modifierState >> 1) & (kLevels - 1))];
    if (!key.isPresent) {
        return KeyTranslationStatus::invalidKeyCode;
    }
    if (key.keysym == XKB_KEY_NoSymbol) {
        // Nothing typed, and a pending accent keeps waiting.
        return write(key.text, deadKeyState, deadKeyState, output);
    }
    if (deadKeyState == 0) {
        return write(key.text, key.deadKeyState, deadKeyState, output);
    }
    const std::lock_guard lock(mutex_);
    if (deadKeyState > pending_.size()) {
        return KeyTranslationStatus::invalidDeadKeyState;
    }
    const Step& next = step(deadKeyState, key.keysym);
    return write(next.text, next.nextState, deadKeyState, output);
}

KeyTranslationStatus XkbKeyLayoutData::write(const std::u16string& text, std::uint32_t nextState,
                                             std::uint32_t& deadKeyState,
                                             KeyTranslationOutput& output) {
    output.length = text.size();
    if (text.size() > KeyTranslationOutput::kCapacity) {
        return KeyTranslationStatus::outputTooLong;
    }
    std::copy(text.begin(), text.end(), output.units.begin());
    deadKeyState = nextState;
    return KeyTranslationStatus::success;
}

}  // namespace plovik
