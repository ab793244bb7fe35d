#pragma once

#include <xkbcommon/xkbcommon.h>

#include <cstdint>
#include <map>
#include <tuple>
#include <unordered_map>
#include <vector>

#include "platform/linux/XkbHandles.h"

namespace plovik {

// The keys that type each character of a keymap's group, in the order a search from the
// low codes up finds them, unshifted first. Built once per group and modifier state, so
// that typing a word looks each character up instead of asking every key: Plovik types
// while the user's keys wait.
class KeymapStrokeIndex {
  public:
    struct Candidate {
        std::uint32_t keycode;
        // The modifiers (real modifier bits) the key is pressed with.
        std::uint32_t modifiers;
    };

    // What types `character` in `group` with `extra` modifiers in effect besides the
    // key's own and `locked` ones locked. Only codes below 256, which X11 can send; a key
    // with one layout counts for every group. Forgets everything when `keymap` changes.
    const std::vector<Candidate>& candidates(xkb_keymap& keymap, char32_t character,
                                             std::uint32_t group, std::uint32_t extra,
                                             std::uint32_t locked);

  private:
    using Index = std::unordered_map<char32_t, std::vector<Candidate>>;

    static Index build(xkb_keymap& keymap, std::uint32_t group, std::uint32_t extra,
                       std::uint32_t locked);

    // Held, so that a new keymap cannot take the indexed one's address.
    xkb::Keymap keymap_;
    std::map<std::tuple<std::uint32_t, std::uint32_t, std::uint32_t>, Index> indexes_;
};

}  // namespace plovik
