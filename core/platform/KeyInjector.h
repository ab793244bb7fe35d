#pragma once

#include <chrono>
#include <optional>
#include <string>

#include "core/platform/Key.h"
#include "core/platform/Modifiers.h"

namespace plovik {

// A keyboard event to inject, as plain data.
struct SyntheticKeyEvent {
    Key key = Key::space;
    bool isKeyDown = true;
    Modifiers modifiers;
    // Text the event types instead of what its key would type (UTF-8).
    std::optional<std::string> text;

    bool operator==(const SyntheticKeyEvent&) const = default;
};

class KeyInjector {
  public:
    virtual ~KeyInjector() = default;
    // An event of the key, starting with the modifiers the session holds now; absent
    // when the system cannot make one.
    virtual std::optional<SyntheticKeyEvent> createKeyEvent(Key key, bool isKeyDown) = 0;
    // Posts the event marked as Plovik's own, so that every key tap sees it and the
    // keyboard monitor lets it pass.
    virtual void post(const SyntheticKeyEvent& event) = 0;
    // Whether `text` can be typed now; readies what typing it needs (on X11 the keys
    // some characters are bound to) before any key of the edit goes out.
    virtual bool prepareText(const std::string& text) = 0;
    // Gives the application a moment to take in what was posted: events still waiting
    // for the keyboard go out once it is free, then at most `pause` passes.
    virtual void awaitDelivery(std::chrono::milliseconds pause) = 0;
};

}  // namespace plovik
