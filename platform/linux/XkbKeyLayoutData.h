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

// One XKB layout's key map. The keys' symbols at every level (Shift, Caps Lock, level
// three) are read when it is built; what keys do while a compose sequence is pending
// is worked out through the compose table on first use and kept, under a lock, since
// the reachable sequences are far more than are ever typed. A key that does not
// continue a pending sequence ends it and types what it types alone.
class XkbKeyLayoutData final : public KeyLayoutData {
  public:
    // `compose` may be null: dead keys then type nothing and compose nothing.
    XkbKeyLayoutData(xkb_keymap& keymap, xkb_compose_table* compose);

    std::optional<std::string> translate(Key key, Modifiers modifiers,
                                         ComposeState& compose) const override;

  private:
    static constexpr std::size_t kKeyCodes = 256;
    static constexpr std::size_t kLevels = 8;  // Shift x Caps Lock x level three

    struct KeyLevel {
        bool isPresent = false;
        xkb_keysym_t keysym = 0;
        std::string text;
        bool startsSequence = false;
    };
    // What a key does while a sequence is pending.
    struct Step {
        std::string text;
        // The sequence still pending afterwards; empty when it ended.
        std::vector<xkb_keysym_t> pending;
    };

    static std::size_t levelOf(Modifiers modifiers);
    void readKeys(xkb_keymap& keymap);
    void readDeadKeys();
    bool startsPendingSequence(xkb_keysym_t keysym) const;
    // The callers below hold mutex_.
    std::uint32_t sequenceId(const std::vector<xkb_keysym_t>& sequence) const;
    Step step(const std::vector<xkb_keysym_t>& pending, xkb_keysym_t keysym) const;

    std::array<KeyLevel, kKeyCodes * kLevels> keys_;
    xkb::ComposeTable compose_;
    mutable std::mutex mutex_;
    // Interned pending sequences, so that steps are cached by a small number.
    mutable std::map<std::vector<xkb_keysym_t>, std::uint32_t> sequenceIds_;
    // Keyed by sequence id << 32 | keysym.
    mutable std::unordered_map<std::uint64_t, Step> steps_;
};

}  // namespace plovik
