#pragma once

#include <xkbcommon/xkbcommon-compose.h>
#include <xkbcommon/xkbcommon.h>

#include <array>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/platform/KeyLayoutData.h"
#include "platform/linux/XkbHandles.h"

namespace plovik {

// One XKB layout's key map. The keys' symbols at every level (Shift, Caps Lock,
// Option as the third level, AltGr) are read when it is built; what keys do after
// a dead key is worked out through the compose table on first use and kept, under
// a lock, since the reachable sequences are far more than are ever typed.
// A dead key followed by a key that does not compose with it types the accent
// alone, then that key.
class XkbKeyLayoutData final : public KeyLayoutData {
  public:
    // `compose` may be null: dead keys then type nothing and compose nothing.
    XkbKeyLayoutData(xkb_keymap& keymap, xkb_compose_table* compose);

    KeyTranslationStatus translate(std::uint16_t keyCode, std::uint32_t modifierState,
                                   std::uint32_t keyboardType, std::uint32_t& deadKeyState,
                                   KeyTranslationOutput& output) const override;

  private:
    static constexpr std::size_t kKeyCodes = 128;
    static constexpr std::size_t kLevels = 8;  // Shift x Caps Lock x Option

    struct Key {
        bool isPresent = false;
        xkb_keysym_t keysym = 0;
        std::u16string text;
        // The dead-key state this key starts; 0 for an ordinary key.
        std::uint32_t deadKeyState = 0;
    };
    // What a key does while an accent is pending.
    struct Step {
        std::u16string text;
        std::uint32_t nextState = 0;
    };

    void readKeys(xkb_keymap& keymap);
    void readDeadKeys();
    bool startsPendingSequence(xkb_keysym_t keysym) const;
    // The callers below hold mutex_.
    std::uint32_t pendingState(const std::vector<xkb_keysym_t>& sequence) const;
    const Step& step(std::uint32_t state, xkb_keysym_t keysym) const;
    std::u16string standaloneText(const std::vector<xkb_keysym_t>& sequence) const;
    static KeyTranslationStatus write(const std::u16string& text, std::uint32_t nextState,
                                      std::uint32_t& deadKeyState, KeyTranslationOutput& output);

    std::array<Key, kKeyCodes * kLevels> keys_;
    xkb::ComposeTable compose_;
    mutable std::mutex mutex_;
    // Pending sequences; dead-key state n is pending_[n - 1].
    mutable std::vector<std::vector<xkb_keysym_t>> pending_;
    mutable std::map<std::vector<xkb_keysym_t>, std::uint32_t> pendingStates_;
    // Keyed by state << 32 | keysym.
    mutable std::unordered_map<std::uint64_t, Step> steps_;
};

}  // namespace plovik
