#pragma once

#include <xkbcommon/xkbcommon.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string_view>
#include <vector>

#include "core/platform/KeyInjector.h"
#include "platform/x11/KeymapStrokeIndex.h"
#include "platform/x11/X11Connection.h"
#include "platform/x11/X11ExpectedKeys.h"
#include "platform/x11/X11KeyboardState.h"
#include "platform/x11/X11RetypedKeys.h"

namespace plovik {

// Types keys and text through XTest as the user's keyboard would. A character is typed
// with its own key in the group that is locked now or, when only another group has it,
// in that group, locked for the time by keys of their own (so that the change travels
// with the keys, however late they are handled) and locked back afterwards. A character
// no group types, or whose key the user holds down, gets a spare key code of its own; a spare stays
// bound as long as it can, and is bound anew only when every spare is taken and it is the least
// recently used one outside the current batch whose presses the application is known to have
// read, or that has rested (rebinding while a client still translates earlier presses types
// garbage). The bindings are restored when the injector goes. Every press is
// announced to the expected-key queue first, so that the capture recognises it as ours.
class XTestKeyTyper final : public X11RetypedKeys::Keyboard {
  public:
    // How long a spare must have gone unused before it is bound anew: applications read
    // the key map again only when they handle a key, and may still have earlier presses
    // of it to handle.
    static constexpr std::chrono::milliseconds kRebindAge{2000};

    // `isHeldDown` tells whether the user holds a key down (X key code): text is not typed
    // with such a key, since the server takes a second press of it for a repeat.
    XTestKeyTyper(const X11Connection& connection, X11KeyboardState& keyboard,
                  X11ExpectedKeys& expectedKeys,
                  std::function<bool(std::uint32_t)> isHeldDown = {});
    ~XTestKeyTyper();
    XTestKeyTyper(const XTestKeyTyper&) = delete;
    XTestKeyTyper& operator=(const XTestKeyTyper&) = delete;

    // Presses or releases a key. A press first presses the modifier keys among
    // `modifiers` (real modifier bits) that it needs; its release lets them go.
    void key(std::uint32_t keycode, bool isDown, std::uint32_t modifiers = 0);
    // Types UTF-8 text; false (nothing typed) when some character has neither a key
    // nor a spare key code left.
    bool type(std::string_view text);
    // Presses the keys that type the text in `group`, whatever group is locked: what
    // a user does who types with another layout in mind. False (nothing pressed) when
    // the group cannot type some character.
    bool pressKeysOf(std::string_view text, std::uint32_t group);
    std::size_t boundSpareCount() const { return bound_.size(); }
    // A mark of the keys typed so far, for `handledThrough`.
    std::uint64_t useMark() const { return uses_; }
    // The applications have handled every key typed up to `mark`: spares used for them may
    // be bound anew without waiting.
    void handledThrough(std::uint64_t mark) { handled_ = std::max(handled_, mark); }
    // The key (X key code) that types the character in `group`, and whether it needs Shift.
    std::optional<std::pair<std::uint32_t, bool>> keyOf(char32_t character,
                                                        std::uint32_t group) const;
    // A key code that types nothing, kept out of the spare codes for typing; absent when
    // there is none.
    std::optional<std::uint32_t> silentKeycode() const { return silent_; }
    // The key code of the left Shift key.
    std::optional<std::uint32_t> shiftKeycode() const;
    // Posts one event: its key, or the text it carries (on the press; its release has
    // nothing left to do). False when the text could not be typed.
    bool post(const SyntheticKeyEvent& event);
    // Whether the event can be posted: its text has keys, spare codes bound as needed.
    bool canPost(const SyntheticKeyEvent& event);
    // Whether type() can type the text now, binding the spare key codes it needs, so that
    // clients learn the new mapping before the keys come.
    bool prepare(std::string_view text);

    // One key event as sent to the server.
    struct FakedKey {
        std::uint32_t keycode;
        bool isPress;
    };
    // The keys posted from now on may still wait in the server all together: no spare key
    // code pressed among them is bound anew until the next batch.
    void beginBatch();
    // Every key of this batch was taken back before any application saw it: the spare codes
    // they used may be bound anew, as far as earlier batches allow.
    void withdrawBatch();
    // Records every key event sent from now on, until takeLog().
    void startLog();
    std::vector<FakedKey> takeLog();

    // Modifiers the user holds, which Plovik's keys would be typed with: Shift, Control,
    // and Alt for any command modifier.
    std::uint32_t userModifiers() const;
    // A spare code bound at both levels to what `keycode` typed under `modifiers` in
    // `group`; absent for a modifier or a key that types no character.
    std::optional<std::uint32_t> spareTyping(std::uint32_t keycode, std::uint32_t modifiers,
                                             std::uint32_t group) override;
    bool isModifierKey(std::uint32_t keycode) const override;
    // A modifier, lock or layout key: pressed, it changes what the keys after it type.
    bool changesTyping(std::uint32_t keycode) const;
    // How many spare key codes could be bound now for new symbols.
    std::size_t availableSpares() const;

  private:
    struct Stroke {
        std::uint32_t keycode;
        std::uint32_t modifiers;
        // The group it types in; absent for any group.
        std::optional<std::uint32_t> group = std::nullopt;
    };

    std::optional<Stroke> strokeFor(char32_t character);
    bool pressAll(std::string_view text,
                  const std::function<std::optional<Stroke>(char32_t)>& strokeOf);
    // With `extra` modifiers in effect besides those the key is pressed with.
    std::optional<Stroke> keyFor(char32_t character, std::uint32_t group,
                                 std::uint32_t extra = 0) const;
    // A spare key code typing `keysym`, or `shifted` with Shift.
    std::optional<std::uint32_t> spareFor(xkb_keysym_t keysym, xkb_keysym_t shifted);
    // Both levels alike, so that Shift or Caps Lock cannot change what it types.
    std::optional<std::uint32_t> spareFor(xkb_keysym_t keysym) { return spareFor(keysym, keysym); }
    // Presses the keys that lock `group`: the first group, then the next ones.
    bool switchGroup(std::uint32_t group);
    // A spare key code bound for good to a group-switching symbol.
    std::optional<std::uint32_t> groupKey(xkb_keysym_t keysym, std::optional<std::uint32_t>& key);
    std::optional<std::uint32_t> modifierKey(std::uint32_t modifier) const;
    void fake(std::uint8_t type, std::uint32_t keycode);
    void findSpareKeycodes();

    const X11Connection& connection_;
    X11KeyboardState& keyboard_;
    X11ExpectedKeys& expectedKeys_;
    std::function<bool(std::uint32_t)> isHeldDown_;
    std::vector<std::uint32_t> spare_;
    // Every code found free, bound or not.
    std::set<std::uint32_t> lent_;
    std::optional<std::uint32_t> silent_;
    std::optional<std::uint32_t> firstGroupKey_;
    std::optional<std::uint32_t> nextGroupKey_;
    struct Binding {
        std::uint32_t keycode;
        std::uint64_t lastUse;
        std::uint64_t batch;
        std::chrono::steady_clock::time_point usedAt;
        // Its last use before this batch, which may have reached an application.
        std::uint64_t lastUseBefore = 0;
        std::chrono::steady_clock::time_point usedBefore{};
    };
    bool mayBindAnew(const Binding& binding, std::chrono::steady_clock::time_point now) const;
    // By the two symbols bound, the unshifted one in the high half.
    std::map<std::uint64_t, Binding> bound_;
    std::uint64_t uses_ = 0;
    std::uint64_t handled_ = 0;
    std::uint64_t batch_ = 0;
    std::optional<std::vector<FakedKey>> log_;
    // A cache, filled by lookups that change nothing else.
    mutable KeymapStrokeIndex strokeIndex_;
    // Modifier keys pressed for a key, released with it.
    std::map<std::uint32_t, std::vector<std::uint32_t>> heldFor_;
};

}  // namespace plovik
