#include "platform/x11/X11EventPoster.h"

#include "platform/linux/XkbKeyCodeTable.h"
#include "platform/x11/X11ModifierFlags.h"

namespace plovik {

namespace {

class X11EventSource final : public EventSource {
  public:
    explicit X11EventSource(std::uint64_t flags) : flags_(flags) {}

    std::optional<SyntheticKeyEvent> createKeyboardEvent(std::uint16_t keyCode,
                                                         bool isKeyDown) override {
        if (!XkbKeyCodeTable::xkbKeyCode(keyCode)) {
            return std::nullopt;
        }
        SyntheticKeyEvent event;
        event.keyCode = keyCode;
        event.isKeyDown = isKeyDown;
        event.flags = flags_;
        return event;
    }

  private:
    std::uint64_t flags_;
};

}  // namespace

X11EventPoster::X11EventPoster(X11KeyInjector& injector, const X11KeyboardState& keyboard)
    : injector_(injector), keyboard_(keyboard) {}

std::unique_ptr<EventSource> X11EventPoster::createSource() {
    return std::make_unique<X11EventSource>(X11ModifierFlags::flags(keyboard_.modifiers()));
}

void X11EventPoster::post(const SyntheticKeyEvent& event) {
    if (event.unicodeString) {
        // The whole text goes with the press; its release has nothing left to do.
        if (event.isKeyDown) {
            lastPostSucceeded_ = injector_.type(*event.unicodeString);
        }
        return;
    }
    const auto keycode = XkbKeyCodeTable::xkbKeyCode(event.keyCode);
    if (!keycode) {
        lastPostSucceeded_ = false;
        return;
    }
    injector_.key(*keycode, event.isKeyDown, X11ModifierFlags::modifiers(event.flags));
    lastPostSucceeded_ = true;
}

}  // namespace plovik
