#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "core/platform/Key.h"
#include "core/platform/Modifiers.h"

namespace plovik {

// Where a press of the user stands among all of the user's presses, in the order the
// system saw them; later presses have larger numbers.
using KeyPressNumber = std::uint64_t;

enum class KeyEventKind {
    keyPress,
    // The key was held down long enough for the application to repeat it, and the tap
    // did not see the repeats: what it typed is unknown. The event carries the key.
    keyHeld,
};

// A held-back press that the system lets through on its own if the answer comes too late.
// Whoever acts on a press as swallowed takes it first, after any slow check: once the
// press has gone on, taking it is refused and nothing may act on it.
class PressClaim {
  public:
    virtual ~PressClaim() = default;
    virtual bool take() = 0;
};

// One key press as the global tap delivers it.
struct KeyEvent {
    KeyEventKind kind = KeyEventKind::keyPress;
    Key key = Key::space;
    Modifiers modifiers;
    // What the key types under the current layout and modifiers, after composing;
    // absent when the event cannot say.
    std::optional<std::string> text;
    // Posted by Plovik itself.
    bool isOwnEvent = false;
    // False when the press has already gone on to the application (the system could not
    // hold it for the answer): the answer is ignored, so nothing may act as if it was
    // swallowed.
    bool isSwallowable = true;
    // Absent where the system holds a press for as long as the answer takes.
    std::shared_ptr<PressClaim> claim;
    // The user's press as the system numbered it; zero for Plovik's own events and notices.
    KeyPressNumber pressNumber = 0;

    // Whether the press is still ours to swallow; true at most once per claimed press.
    bool takeForSwallowing() const { return isSwallowable && (!claim || claim->take()); }

    bool operator==(const KeyEvent&) const = default;
};

// swallowAndHold: swallow the press and hold the user's keys back until Plovik's next hold of
// the keyboard takes over (shortly, or they go on): nothing typed after it can overtake the
// work it asks for.
enum class KeyDisposition { pass, swallow, swallowAndHold };

// An installed, active key-press tap. Destroying it removes it from the system.
class KeyCapture {
  public:
    virtual ~KeyCapture() = default;
    virtual void setEnabled(bool enabled) = 0;
    virtual bool isEnabled() const = 0;
};

// Creates taps; the callback runs on the main thread for every key press and for the
// tap-disabled notification, and decides whether the event goes on.
class KeyCaptureFactory {
  public:
    using Callback = std::function<KeyDisposition(const KeyEvent&)>;

    virtual ~KeyCaptureFactory() = default;
    // Null when the system refuses the tap (usually: keyboard monitoring not allowed).
    virtual std::unique_ptr<KeyCapture> createTap(Callback callback) = 0;

    // The number of the user's latest press (zero before the first). Presses are numbered
    // the moment the system sees them, before any tap callback has run. Any thread.
    virtual KeyPressNumber latestPress() const = 0;
    // Whether a press of the user after `press` went on, or may still go on, to the
    // application: an application that shows keys late handles such a press after keys
    // Plovik posts now, and no reading of its text can see it yet. Only a press a tap
    // swallowed is known never to arrive. Any thread.
    virtual bool hasPressGoneOnSince(KeyPressNumber press) const = 0;
    // What the user's presses after `after`, up to and including `upTo`, typed in the
    // application, in order (presses a tap swallowed typed nothing); absent when one of
    // them did something other than type text, such as an editing key or a command.
    // Any thread.
    virtual std::optional<std::string> textTypedBetween(KeyPressNumber after,
                                                        KeyPressNumber upTo) const = 0;
};

}  // namespace plovik
