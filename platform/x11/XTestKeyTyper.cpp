#include "platform/x11/XTestKeyTyper.h"

#include <xcb/xtest.h>
#include <xkbcommon/xkbcommon-keysyms.h>

#include <algorithm>
#include <array>
#include <limits>
#include <utility>

#include "core/platform/Key.h"
#include "core/text/Utf8.h"
#include "platform/x11/X11ModifierFlags.h"

namespace plovik {

namespace {

constexpr std::uint32_t kReturnKeycode = 36;

// Control, and Alt standing for every command modifier: the keys that turn typing into
// commands.
std::uint32_t modifierOf(xkb_keysym_t keysym) {
    switch (keysym) {
        case XKB_KEY_Shift_L:
        case XKB_KEY_Shift_R:
            return X11KeyboardState::kShiftMask;
        case XKB_KEY_Control_L:
        case XKB_KEY_Control_R:
            return X11KeyboardState::kControlMask;
        case XKB_KEY_Alt_L:
        case XKB_KEY_Alt_R:
        case XKB_KEY_Meta_L:
        case XKB_KEY_Meta_R:
        case XKB_KEY_Super_L:
        case XKB_KEY_Super_R:
            return X11KeyboardState::kAltMask;
        default:
            return 0;
    }
}

}  // namespace

XTestKeyTyper::XTestKeyTyper(const X11Connection& connection, X11KeyboardState& keyboard,
                             X11ExpectedKeys& expectedKeys,
                             std::function<bool(std::uint32_t)> isHeldDown)
    : connection_(connection),
      keyboard_(keyboard),
      expectedKeys_(expectedKeys),
      isHeldDown_(std::move(isHeldDown)) {
    findSpareKeycodes();
}

XTestKeyTyper::~XTestKeyTyper() {
    const std::array<xcb_keysym_t, 2> none{XKB_KEY_NoSymbol, XKB_KEY_NoSymbol};
    for (const auto& [symbols, binding] : bound_) {
        xcb_change_keyboard_mapping(connection_.get(), 1,
                                    static_cast<xcb_keycode_t>(binding.keycode), 2, none.data());
    }
    connection_.sync();
}

void XTestKeyTyper::findSpareKeycodes() {
    const xcb_setup_t* setup = xcb_get_setup(connection_.get());
    const auto count = static_cast<std::uint8_t>(setup->max_keycode - setup->min_keycode + 1);
    xcb::Reply<xcb_get_keyboard_mapping_reply_t> mapping(xcb_get_keyboard_mapping_reply(
        connection_.get(), xcb_get_keyboard_mapping(connection_.get(), setup->min_keycode, count),
        nullptr));
    if (!mapping) {
        return;
    }
    const xcb_keysym_t* keysyms = xcb_get_keyboard_mapping_keysyms(mapping.get());
    const int perKeycode = mapping->keysyms_per_keycode;
    // From the top: the low unused codes are where keyboards grow new keys.
    for (int index = count - 1; index >= 0; --index) {
        bool isEmpty = true;
        for (int k = 0; k < perKeycode; ++k) {
            isEmpty = isEmpty && keysyms[index * perKeycode + k] == XKB_KEY_NoSymbol;
        }
        if (isEmpty) {
            spare_.push_back(static_cast<std::uint32_t>(setup->min_keycode + index));
            lent_.insert(spare_.back());
        }
    }
    // The highest free code stays silent; typing takes codes from the other end.
    if (!spare_.empty()) {
        silent_ = spare_.front();
        spare_.erase(spare_.begin());
    }
}

void XTestKeyTyper::fake(std::uint8_t type, std::uint32_t keycode) {
    if (type == XCB_KEY_PRESS) {
        expectedKeys_.expect(keycode);
    }
    if (log_) {
        log_->push_back({keycode, type == XCB_KEY_PRESS});
    }
    xcb_test_fake_input(connection_.get(), type, static_cast<std::uint8_t>(keycode),
                        XCB_CURRENT_TIME, connection_.root(), 0, 0, 0);
}

std::optional<std::uint32_t> XTestKeyTyper::modifierKey(std::uint32_t modifier) const {
    xkb_keysym_t wanted = XKB_KEY_NoSymbol;
    switch (modifier) {
        case X11KeyboardState::kShiftMask:
            wanted = XKB_KEY_Shift_L;
            break;
        case X11KeyboardState::kControlMask:
            wanted = XKB_KEY_Control_L;
            break;
        case X11KeyboardState::kAltMask:
            wanted = XKB_KEY_Alt_L;
            break;
        case X11KeyboardState::kSuperMask:
            wanted = XKB_KEY_Super_L;
            break;
        case X11KeyboardState::kLevelThreeMask:
            wanted = XKB_KEY_ISO_Level3_Shift;
            break;
        default:
            return std::nullopt;
    }
    xkb_keymap& keymap = keyboard_.keymap();
    for (xkb_keycode_t code = xkb_keymap_min_keycode(&keymap);
         code <= xkb_keymap_max_keycode(&keymap); ++code) {
        const xkb_keysym_t* syms = nullptr;
        if (xkb_keymap_key_get_syms_by_level(&keymap, code, 0, 0, &syms) == 1 &&
            syms[0] == wanted) {
            return code;
        }
    }
    return std::nullopt;
}

void XTestKeyTyper::key(std::uint32_t keycode, bool isDown, std::uint32_t modifiers) {
    if (isDown) {
        const std::uint32_t missing = modifiers & ~keyboard_.modifiers();
        std::vector<std::uint32_t> pressed;
        for (std::uint32_t bit = 1; bit <= X11KeyboardState::kLevelThreeMask; bit <<= 1) {
            if ((missing & bit) != 0) {
                if (const auto modifierCode = modifierKey(bit)) {
                    fake(XCB_KEY_PRESS, *modifierCode);
                    pressed.push_back(*modifierCode);
                }
            }
        }
        heldFor_[keycode] = std::move(pressed);
        fake(XCB_KEY_PRESS, keycode);
    } else {
        fake(XCB_KEY_RELEASE, keycode);
        if (const auto found = heldFor_.find(keycode); found != heldFor_.end()) {
            for (auto it = found->second.rbegin(); it != found->second.rend(); ++it) {
                fake(XCB_KEY_RELEASE, *it);
            }
            heldFor_.erase(found);
        }
    }
    // A batch goes out whole, leaving the user's keys no gap to fall into.
    if (!log_) {
        connection_.flush();
    }
}

std::optional<XTestKeyTyper::Stroke> XTestKeyTyper::keyFor(char32_t character, std::uint32_t group,
                                                           std::uint32_t extra) const {
    if (character == U'\n' || character == U'\r') {
        return Stroke{kReturnKeycode, 0};
    }
    const xkb_mod_mask_t locked =
        xkb_state_serialize_mods(&keyboard_.state(), XKB_STATE_MODS_LOCKED);
    // From the low codes up: the main block comes before the keypad. A spare code is lent,
    // not a key: it may be bound anew while its presses still wait in the server.
    for (const auto& candidate :
         strokeIndex_.candidates(keyboard_.keymap(), character, group, extra, locked)) {
        if (!lent_.contains(candidate.keycode)) {
            return Stroke{candidate.keycode, candidate.modifiers};
        }
    }
    return std::nullopt;
}

std::uint32_t XTestKeyTyper::userModifiers() const {
    if (!isHeldDown_) {
        return 0;
    }
    std::uint32_t held = 0;
    xkb_keymap& keymap = keyboard_.keymap();
    for (xkb_keycode_t code = xkb_keymap_min_keycode(&keymap);
         code <= xkb_keymap_max_keycode(&keymap) && code < 256; ++code) {
        const xkb_keysym_t* syms = nullptr;
        // Asked only of modifier keys: asking is the costly part.
        if (xkb_keymap_key_get_syms_by_level(&keymap, code, 0, 0, &syms) == 1 &&
            modifierOf(syms[0]) != 0 && isHeldDown_(code)) {
            held |= modifierOf(syms[0]);
        }
    }
    return held;
}

std::optional<XTestKeyTyper::Stroke> XTestKeyTyper::strokeFor(char32_t character) {
    const std::uint32_t locked = keyboard_.lockedGroup();
    // A Shift the user holds shifts Plovik's keys too.
    const std::uint32_t held = userModifiers() & X11KeyboardState::kShiftMask;
    const auto usable = [&](const std::optional<Stroke>& stroke) {
        return stroke && !(isHeldDown_ && isHeldDown_(stroke->keycode));
    };
    if (auto stroke = keyFor(character, locked, held); usable(stroke)) {
        stroke->group = locked;
        return stroke;
    }
    const xkb_layout_index_t groups = xkb_keymap_num_layouts(&keyboard_.keymap());
    for (std::uint32_t group = 0; group < groups; ++group) {
        if (auto stroke = keyFor(character, group, held); group != locked && usable(stroke)) {
            stroke->group = group;
            return stroke;
        }
    }
    const xkb_keysym_t keysym =
        character == U'\n' || character == U'\r' ? XKB_KEY_Return : xkb_utf32_to_keysym(character);
    if (const auto spare = spareFor(keysym)) {
        return Stroke{*spare, 0};
    }
    return std::nullopt;
}

std::optional<std::uint32_t> XTestKeyTyper::groupKey(xkb_keysym_t keysym,
                                                     std::optional<std::uint32_t>& key) {
    if (key) {
        return key;
    }
    if (spare_.empty()) {
        return std::nullopt;
    }
    key = spare_.back();
    spare_.pop_back();
    const std::array<xcb_keysym_t, 2> keysyms{keysym, keysym};
    xcb_change_keyboard_mapping(connection_.get(), 1, static_cast<xcb_keycode_t>(*key), 2,
                                keysyms.data());
    expectedKeys_.addGroupKey(*key);
    return key;
}

bool XTestKeyTyper::switchGroup(std::uint32_t group) {
    const auto first = groupKey(XKB_KEY_ISO_First_Group, firstGroupKey_);
    const auto next = group > 0 ? groupKey(XKB_KEY_ISO_Next_Group, nextGroupKey_) : first;
    if (!first || !next) {
        return false;
    }
    key(*first, true);
    key(*first, false);
    for (std::uint32_t i = 0; i < group; ++i) {
        key(*next, true);
        key(*next, false);
    }
    return true;
}

std::optional<std::uint32_t> XTestKeyTyper::spareFor(xkb_keysym_t keysym, xkb_keysym_t shifted) {
    if (keysym == XKB_KEY_NoSymbol) {
        return std::nullopt;
    }
    const std::uint64_t symbols = (std::uint64_t{keysym} << 32) | shifted;
    const auto now = std::chrono::steady_clock::now();
    if (const auto found = bound_.find(symbols); found != bound_.end()) {
        if (found->second.batch != batch_) {
            found->second.lastUseBefore = found->second.lastUse;
            found->second.usedBefore = found->second.usedAt;
        }
        found->second.lastUse = ++uses_;
        found->second.batch = batch_;
        found->second.usedAt = now;
        return found->second.keycode;
    }
    std::optional<std::uint32_t> keycode;
    if (!spare_.empty()) {
        keycode = spare_.back();
        spare_.pop_back();
    } else {
        // The least recently used spare not pressed in this batch, whose presses the
        // applications have handled.
        auto oldest = bound_.end();
        for (auto it = bound_.begin(); it != bound_.end(); ++it) {
            if (mayBindAnew(it->second, now) &&
                (oldest == bound_.end() || it->second.lastUse < oldest->second.lastUse)) {
                oldest = it;
            }
        }
        if (oldest == bound_.end()) {
            return std::nullopt;
        }
        keycode = oldest->second.keycode;
        bound_.erase(oldest);
    }
    const std::array<xcb_keysym_t, 2> keysyms{keysym, shifted};
    xcb_change_keyboard_mapping(connection_.get(), 1, static_cast<xcb_keycode_t>(*keycode), 2,
                                keysyms.data());
    bound_.emplace(symbols, Binding{*keycode, ++uses_, batch_, now});
    return keycode;
}

void XTestKeyTyper::withdrawBatch() {
    for (auto& [symbols, binding] : bound_) {
        if (binding.batch == batch_) {
            binding.lastUse = binding.lastUseBefore;
            binding.usedAt = binding.usedBefore;
            binding.batch = std::numeric_limits<std::uint64_t>::max();
        }
    }
}

std::size_t XTestKeyTyper::availableSpares() const {
    const auto now = std::chrono::steady_clock::now();
    return spare_.size() + static_cast<std::size_t>(std::count_if(
                               bound_.begin(), bound_.end(),
                               [&](const auto& entry) { return mayBindAnew(entry.second, now); }));
}

bool XTestKeyTyper::mayBindAnew(const Binding& binding,
                                std::chrono::steady_clock::time_point now) const {
    return binding.batch != batch_ &&
           (binding.lastUse <= handled_ || now - binding.usedAt >= kRebindAge);
}

std::optional<std::uint32_t> XTestKeyTyper::spareTyping(std::uint32_t keycode,
                                                        std::uint32_t modifiers,
                                                        std::uint32_t group) {
    xkb::State probe(xkb_state_new(&keyboard_.keymap()));
    xkb_state_update_mask(probe.get(), modifiers, 0, 0, 0, 0, group);
    const xkb_keysym_t typed = xkb_state_key_get_one_sym(probe.get(), keycode);
    if (modifierOf(typed) != 0 || xkb_keysym_to_utf32(typed) == 0) {
        return std::nullopt;
    }
    return spareFor(typed);
}

bool XTestKeyTyper::isModifierKey(std::uint32_t keycode) const {
    const xkb_keysym_t* syms = nullptr;
    return xkb_keymap_key_get_syms_by_level(&keyboard_.keymap(), keycode, 0, 0, &syms) == 1 &&
           modifierOf(syms[0]) != 0;
}

bool XTestKeyTyper::changesTyping(std::uint32_t keycode) const {
    const xkb_keysym_t* syms = nullptr;
    if (xkb_keymap_key_get_syms_by_level(&keyboard_.keymap(), keycode, 0, 0, &syms) != 1) {
        return false;
    }
    const xkb_keysym_t sym = syms[0];
    return (sym >= XKB_KEY_Shift_L && sym <= XKB_KEY_Hyper_R) ||
           (sym >= XKB_KEY_ISO_Lock && sym <= XKB_KEY_ISO_Last_Group_Lock) ||
           sym == XKB_KEY_Mode_switch || sym == XKB_KEY_Num_Lock;
}

std::optional<std::pair<std::uint32_t, bool>> XTestKeyTyper::keyOf(char32_t character,
                                                                   std::uint32_t group) const {
    const auto stroke = keyFor(character, group);
    if (!stroke) {
        return std::nullopt;
    }
    return std::pair(stroke->keycode, (stroke->modifiers & X11KeyboardState::kShiftMask) != 0);
}

std::optional<std::uint32_t> XTestKeyTyper::shiftKeycode() const {
    return modifierKey(X11KeyboardState::kShiftMask);
}

bool XTestKeyTyper::pressKeysOf(std::string_view text, std::uint32_t group) {
    return pressAll(text, [&](char32_t character) { return keyFor(character, group); });
}

bool XTestKeyTyper::type(std::string_view text) {
    return pressAll(text, [&](char32_t character) { return strokeFor(character); });
}

bool XTestKeyTyper::pressAll(std::string_view text,
                             const std::function<std::optional<Stroke>(char32_t)>& strokeOf) {
    if (!log_) {
        ++batch_;
    }
    // Every character is looked up first, so that nothing is typed when one has no key.
    std::vector<Stroke> strokes;
    for (const char32_t character : text::Utf8::scalars(text)) {
        const auto stroke = strokeOf(character);
        if (!stroke) {
            return false;
        }
        strokes.push_back(*stroke);
    }
    // Group keys are bound before the first key goes.
    const std::uint32_t locked = keyboard_.lockedGroup();
    const bool switches = std::any_of(strokes.begin(), strokes.end(), [&](const Stroke& stroke) {
        return stroke.group && *stroke.group != locked;
    });
    if (switches && (!groupKey(XKB_KEY_ISO_First_Group, firstGroupKey_) ||
                     !groupKey(XKB_KEY_ISO_Next_Group, nextGroupKey_))) {
        return false;
    }
    std::uint32_t current = locked;
    for (const auto& stroke : strokes) {
        if (stroke.group && *stroke.group != current) {
            switchGroup(*stroke.group);
            current = *stroke.group;
        }
        key(stroke.keycode, true, stroke.modifiers);
        key(stroke.keycode, false);
    }
    if (current != locked) {
        switchGroup(locked);
    }
    return true;
}

bool XTestKeyTyper::post(const SyntheticKeyEvent& event) {
    if (event.text) {
        return !event.isKeyDown || type(*event.text);
    }
    const std::uint32_t keycode = xKeycode(event.key);
    // Its own code even while the user holds that key (the application takes it as a
    // repeat): Chromium drops a Return or Backspace sent on a spare code, which has no
    // physical key behind it.
    key(keycode, event.isKeyDown, X11ModifierFlags::realModifiers(event.modifiers));
    return true;
}

bool XTestKeyTyper::canPost(const SyntheticKeyEvent& event) {
    return !event.text || !event.isKeyDown || prepare(*event.text);
}

bool XTestKeyTyper::prepare(std::string_view text) {
    // A text of its own, outside a hold, is a batch of its own.
    if (!log_) {
        ++batch_;
    }
    const auto characters = text::Utf8::scalars(text);
    return std::all_of(characters.begin(), characters.end(),
                       [&](char32_t character) { return strokeFor(character).has_value(); });
}

void XTestKeyTyper::startLog() {
    log_.emplace();
}

void XTestKeyTyper::beginBatch() {
    ++batch_;
}

std::vector<XTestKeyTyper::FakedKey> XTestKeyTyper::takeLog() {
    std::vector<FakedKey> log = log_.value_or(std::vector<FakedKey>{});
    log_.reset();
    return log;
}

}  // namespace plovik
