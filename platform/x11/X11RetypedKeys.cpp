#include "platform/x11/X11RetypedKeys.h"

#include <algorithm>
#include <map>

namespace plovik {

bool X11RetypedKeys::releasedLater(const std::vector<KeyEvent>& events, std::size_t index) {
    const auto later = events.begin() + static_cast<std::ptrdiff_t>(index) + 1;
    return std::any_of(later, events.end(), [&](const KeyEvent& other) {
        return !other.isPress && other.keycode == events[index].keycode;
    });
}

bool X11RetypedKeys::pressedEarlier(const std::vector<KeyEvent>& events, std::size_t index) {
    const auto earlier = events.begin() + static_cast<std::ptrdiff_t>(index);
    return std::any_of(events.begin(), earlier, [&](const KeyEvent& other) {
        return other.isPress && other.keycode == events[index].keycode;
    });
}

std::size_t X11RetypedKeys::lastUnrepeatable(const std::vector<KeyEvent>& events,
                                             const Keyboard& keyboard) {
    std::size_t end = 0;
    for (std::size_t i = 0; i < events.size(); ++i) {
        if (keyboard.isModifierKey(events[i].keycode) &&
            (events[i].isPress ? !releasedLater(events, i) : !pressedEarlier(events, i))) {
            end = i + 1;
        }
    }
    return end;
}

std::vector<X11RetypedKeys::KeyEvent> X11RetypedKeys::plan(const std::vector<KeyEvent>& events,
                                                           Keyboard& keyboard) {
    // Keys typed before a modifier change that cannot be repeated would come out with the
    // modifiers of now: a spare code that types the same at every level types them.
    const std::size_t unrepeatable = lastUnrepeatable(events, keyboard);
    std::vector<KeyEvent> faked;
    std::vector<std::uint32_t> stillDown;
    std::map<std::uint32_t, std::uint32_t> typedOn;
    for (std::size_t i = 0; i < events.size(); ++i) {
        const KeyEvent& event = events[i];
        if (!event.isPress) {
            const auto on = typedOn.extract(event.keycode);
            faked.push_back({on ? on.mapped() : event.keycode, false});
            continue;
        }
        const bool held = !releasedLater(events, i);
        const bool modifier = keyboard.isModifierKey(event.keycode);
        if (held && modifier) {
            continue;
        }
        std::optional<std::uint32_t> spare;
        if (i < unrepeatable && !modifier) {
            spare = keyboard.spareTyping(event.keycode, event.modifiers, event.group);
        }
        if (!spare && held) {
            // A key the user still holds is down for the server already, which would take
            // another press of it for nothing.
            spare = keyboard.spareLike(event.keycode);
        }
        const std::uint32_t keycode = spare.value_or(event.keycode);
        typedOn[event.keycode] = keycode;
        faked.push_back({keycode, true});
        if (held) {
            stillDown.push_back(keycode);
        }
    }
    for (const std::uint32_t keycode : stillDown) {
        faked.push_back({keycode, false});
    }
    return faked;
}

}  // namespace plovik
