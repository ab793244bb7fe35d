#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <optional>
#include <vector>

#include "platform/x11/X11Connection.h"

namespace plovik {

// Key codes without keysyms, lent to characters no layout of the session types. There
// are only a few (about twenty beside US and Russian), so a binding that has rested
// long enough is moved to the next character that needs one; rebinding a code a client
// may still be translating would type garbage. Every binding is undone on destruction.
class X11SpareKeycodes {
  public:
    using Clock = std::chrono::steady_clock;
    // How long a binding stays after its last use before its code may be lent again.
    static constexpr std::chrono::milliseconds kRestBeforeReuse{2000};

    explicit X11SpareKeycodes(const X11Connection& connection);
    ~X11SpareKeycodes();
    X11SpareKeycodes(const X11SpareKeycodes&) = delete;
    X11SpareKeycodes& operator=(const X11SpareKeycodes&) = delete;

    // The code bound to `character`, binding one now if needed; absent when the
    // character has no keysym or every code is in recent use.
    std::optional<std::uint32_t> keycodeFor(char32_t character, Clock::time_point now);
    // Whether the code is one of ours: what it types is ours to say, not the key map's,
    // whose copy may not have caught up with a rebinding yet.
    bool isSpare(std::uint32_t keycode) const;
    std::size_t boundCount() const { return bound_.size(); }
    std::size_t freeCount() const { return free_.size(); }

  private:
    struct Binding {
        std::uint32_t keycode;
        Clock::time_point lastUse;
    };

    void findFreeKeycodes();
    std::optional<std::uint32_t> takeKeycode(Clock::time_point now);
    void bind(std::uint32_t keycode, std::uint32_t keysym);

    const X11Connection& connection_;
    std::vector<std::uint32_t> all_;
    std::vector<std::uint32_t> free_;
    std::map<char32_t, Binding> bound_;
};

}  // namespace plovik
