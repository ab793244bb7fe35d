#include "platform/x11/X11EventPoster.h"

#include "platform/x11/X11ModifierFlags.h"

namespace plovik {

namespace {

// X numbers keys as evdev does, eight higher.
constexpr std::uint32_t kEvdevOffset = 8;

}  // namespace

X11EventPoster::X11EventPoster(X11KeyInjector& injector, const X11KeyboardState& keyboard)
    : injector_(injector), keyboard_(keyboard) {}

std::optional<SyntheticKeyEvent> X11EventPoster::createKeyEvent(Key key, bool isKeyDown) {
    SyntheticKeyEvent event;
    event.key = key;
    event.isKeyDown = isKeyDown;
    event.modifiers = X11ModifierFlags::modifiers(keyboard_.modifiers());
    return event;
}

void X11EventPoster::post(const SyntheticKeyEvent& event) {
    if (event.text) {
        // The whole text goes with the press; its release has nothing left to do.
        if (event.isKeyDown) {
            lastPostSucceeded_ = injector_.type(*event.text);
        }
        return;
    }
    injector_.key(static_cast<std::uint32_t>(event.key) + kEvdevOffset, event.isKeyDown,
                  X11ModifierFlags::realModifiers(event.modifiers));
    lastPostSucceeded_ = true;
}

}  // namespace plovik
