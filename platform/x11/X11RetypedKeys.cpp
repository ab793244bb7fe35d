#include "platform/x11/X11RetypedKeys.h"

#include <algorithm>
#include <map>

namespace plovik {

namespace {

bool isIn(const std::vector<std::uint32_t>& keycodes, std::uint32_t keycode) {
    return std::find(keycodes.begin(), keycodes.end(), keycode) != keycodes.end();
}

}  // namespace

bool X11RetypedKeys::releasedLater(const std::vector<KeyEvent>& events, std::size_t index) {
    const auto later = events.begin() + static_cast<std::ptrdiff_t>(index) + 1;
    return std::any_of(later, events.end(), [&](const KeyEvent& other) {
        return !other.isPress && other.keycode == events[index].keycode;
    });
}

bool X11RetypedKeys::downAtEnd(const std::vector<KeyEvent>& events, std::uint32_t keycode) {
    const auto last = std::find_if(events.rbegin(), events.rend(),
                                   [&](const KeyEvent& event) { return event.keycode == keycode; });
    return last != events.rend() && last->isPress;
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

X11RetypedKeys::Retyping X11RetypedKeys::plan(const std::vector<KeyEvent>& events,
                                              Keyboard& keyboard) {
    // Keys typed before a modifier change that cannot be repeated would come out with the
    // modifiers of now: a spare code that types the same at every level types them.
    const std::size_t unrepeatable = lastUnrepeatable(events, keyboard);
    Retyping retyping;
    std::vector<KeyEvent>& faked = retyping.keys;
    // Codes pressed among the faked events and not yet released, in order.
    std::vector<std::uint32_t> fakedDown;
    const auto releaseFaked = [&](std::uint32_t keycode) {
        faked.push_back({keycode, false});
        fakedDown.erase(std::find(fakedDown.begin(), fakedDown.end(), keycode));
    };
    std::map<std::uint32_t, std::uint32_t> typedOn;
    // Codes the user holds that went up before they were pressed again on their own.
    std::vector<std::uint32_t> lifted;
    for (std::size_t i = 0; i < events.size(); ++i) {
        const KeyEvent& event = events[i];
        // The server took every event in already: a key whose last event is a press is
        // down for it while they go again, and takes no other press of that code.
        const bool down = downAtEnd(events, event.keycode);
        const bool modifier = keyboard.isModifierKey(event.keycode);
        if (modifier && down) {
            // In force already; a release of it would lift it for the keys typed with it.
            continue;
        }
        if (!event.isPress) {
            const auto on = typedOn.extract(event.keycode);
            const std::uint32_t keycode = on ? on.mapped() : event.keycode;
            if (isIn(fakedDown, keycode)) {
                releaseFaked(keycode);
            } else if (!on) {
                // Pressed before these: the server has it down.
                faked.push_back({keycode, false});
            }
            continue;
        }
        std::optional<std::uint32_t> spare;
        const bool typedBeforeAChange = i < unrepeatable && !modifier;
        if (typedBeforeAChange) {
            spare = keyboard.spareTyping(event.keycode, event.modifiers, event.group);
        }
        if (!spare && typedBeforeAChange) {
            retyping.complete = false;
        }
        const std::uint32_t keycode = spare.value_or(event.keycode);
        if (!spare && down && !isIn(lifted, keycode)) {
            // The server takes a second press of a key it has down for nothing, but a release
            // from any device: the key goes up first, and the user's own release later finds
            // it up and is dropped.
            faked.push_back({keycode, false});
            lifted.push_back(keycode);
        }
        if (isIn(fakedDown, keycode)) {
            // Pressed twice with no release between, the server having taken the release in
            // while the key was up already: a second press of a key down types nothing.
            releaseFaked(keycode);
        }
        typedOn[event.keycode] = keycode;
        faked.push_back({keycode, true});
        fakedDown.push_back(keycode);
    }
    while (!fakedDown.empty()) {
        releaseFaked(fakedDown.front());
    }
    return retyping;
}

}  // namespace plovik
