#include "platform/x11/KeymapStrokeIndex.h"

#include "platform/x11/X11KeyboardState.h"

namespace plovik {

const std::vector<KeymapStrokeIndex::Candidate>& KeymapStrokeIndex::candidates(
    xkb_keymap& keymap, char32_t character, std::uint32_t group, std::uint32_t extra,
    std::uint32_t locked) {
    if (keymap_.get() != &keymap) {
        indexes_.clear();
        keymap_.reset(xkb_keymap_ref(&keymap));
    }
    const auto key = std::make_tuple(group, extra, locked);
    auto found = indexes_.find(key);
    if (found == indexes_.end()) {
        found = indexes_.emplace(key, build(keymap, group, extra, locked)).first;
    }
    static const std::vector<Candidate> kNone;
    const auto keys = found->second.find(character);
    return keys != found->second.end() ? keys->second : kNone;
}

KeymapStrokeIndex::Index KeymapStrokeIndex::build(xkb_keymap& keymap, std::uint32_t group,
                                                  std::uint32_t extra, std::uint32_t locked) {
    Index index;
    xkb::State probe(xkb_state_new(&keymap));
    for (const std::uint32_t modifiers : {0u, X11KeyboardState::kShiftMask}) {
        xkb_state_update_mask(probe.get(), modifiers | extra, 0, locked, 0, 0, group);
        for (xkb_keycode_t code = xkb_keymap_min_keycode(&keymap);
             code <= xkb_keymap_max_keycode(&keymap) && code < 256; ++code) {
            const char32_t typed = xkb_state_key_get_utf32(probe.get(), code);
            if (typed != 0 && (xkb_state_key_get_layout(probe.get(), code) == group ||
                               xkb_keymap_num_layouts_for_key(&keymap, code) == 1)) {
                index[typed].push_back({code, modifiers});
            }
        }
    }
    return index;
}

}  // namespace plovik
