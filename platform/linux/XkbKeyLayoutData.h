#pragma once

#include <xkbcommon/xkbcommon-compose.h>
#include <xkbcommon/xkbcommon.h>

#include <array>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/platform/KeyLayoutData.h"

namespace plovik {

// One XKB layout's key map. Everything is read from the keymap and the compose
// table when it is built, so translation needs no handle and no lock.
// Levels: Shift, Caps Lock and Option (the third level, AltGr). Dead keys and
// Compose compose through the compose table; a dead key followed by a key that
// does not compose with it types the accent alone, then that key.
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
    void readDeadKeys(xkb_compose_table& compose);
    std::uint32_t pendingState(const std::vector<xkb_keysym_t>& sequence);
    Step step(xkb_compose_table& compose, std::uint32_t state, xkb_keysym_t keysym);
    std::u16string standaloneText(xkb_compose_table& compose,
                                  const std::vector<xkb_keysym_t>& sequence) const;

    std::array<Key, kKeyCodes * kLevels> keys_;
    // Pending sequences; dead-key state n is pending_[n - 1].
    std::vector<std::vector<xkb_keysym_t>> pending_;
    // Keyed by state << 32 | keysym.
    std::unordered_map<std::uint64_t, Step> steps_;
};

}  // namespace plovik
