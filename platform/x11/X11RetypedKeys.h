#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace plovik {

// How the user's key events, taken back from the server's queue so that Plovik's keys go
// first, are typed again so that each types what it typed the first time. The server
// already took them in: a modifier the user still holds is in force, and one released
// that was pressed before them is up, whatever the keys before it were typed with.
class X11RetypedKeys {
  public:
    struct KeyEvent {
        std::uint32_t keycode;
        bool isPress;
        // Sent through XTest, as Plovik's keys are (and a test's).
        bool synthetic = true;
        // The modifiers and group in effect when the server took it in.
        std::uint32_t modifiers = 0;
        std::uint32_t group = 0;
        bool sameKey(const KeyEvent& other) const {
            return keycode == other.keycode && isPress == other.isPress;
        }
    };

    // What the retyping asks of the keyboard.
    class Keyboard {
      public:
        virtual ~Keyboard() = default;
        virtual bool isModifierKey(std::uint32_t keycode) const = 0;
        // A spare code bound at every level to what `keycode` typed under `modifiers` in
        // `group`.
        virtual std::optional<std::uint32_t> spareTyping(std::uint32_t keycode,
                                                         std::uint32_t modifiers,
                                                         std::uint32_t group) = 0;
    };

    struct Retyping {
        // The key events to fake, in order.
        std::vector<KeyEvent> keys;
        // False when a key typed before a modifier change needed a spare code and none was
        // free: on its own code, it types with the modifiers in force now.
        bool complete = true;
    };
    static Retyping plan(const std::vector<KeyEvent>& events, Keyboard& keyboard);

    // Whether the key of the press at `index` goes up later among `events`.
    static bool releasedLater(const std::vector<KeyEvent>& events, std::size_t index);

  private:
    // Whether the last of the events of `keycode` presses it.
    static bool downAtEnd(const std::vector<KeyEvent>& events, std::uint32_t keycode);
    static bool pressedEarlier(const std::vector<KeyEvent>& events, std::size_t index);
    // One past the last modifier event that faking again cannot repeat: a press still
    // held (a second press counts for nothing) or a release of a key pressed before them.
    static std::size_t lastUnrepeatable(const std::vector<KeyEvent>& events,
                                        const Keyboard& keyboard);
};

}  // namespace plovik
