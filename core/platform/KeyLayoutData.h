#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/platform/Key.h"
#include "core/platform/Modifiers.h"

namespace plovik {

// A compose sequence in progress (dead keys pressed so far), carried by the caller
// from one key to the next. Its symbols belong to the key map that made it.
struct ComposeState {
    std::vector<std::uint32_t> pending;

    bool isComposing() const { return !pending.empty(); }
    bool operator==(const ComposeState&) const = default;
};

// One keyboard layout's key map. Translation is a pure function of its arguments.
class KeyLayoutData {
  public:
    virtual ~KeyLayoutData() = default;

    // What a press of `key` types as UTF-8 (Shift, Caps Lock and level three choose
    // the level). A dead key types nothing and leaves `compose` composing; the next
    // key completes or abandons the sequence. Absent, with `compose` unchanged, when
    // the key has no place in this key map; a key with nothing at the asked level
    // types "".
    virtual std::optional<std::string> translate(Key key, Modifiers modifiers,
                                                 ComposeState& compose) const = 0;
};

}  // namespace plovik
