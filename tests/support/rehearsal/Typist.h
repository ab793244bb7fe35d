#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace plovik {

// A person typing: each key follows the one before after 5 to 60 ms, is held 20 to 90 ms
// (so often still down when the next goes down), and Shift is pressed around capitals.
// The same seed gives the same rhythm, so that a failure can be typed again.
class Typist {
  public:
    // The key (X key code) that types a character with the layout in mind, and whether
    // Shift goes with it; absent for a character no key types.
    struct Stroke {
        std::uint32_t keycode;
        bool shifted;
    };
    using KeyFinder = std::function<std::optional<Stroke>(char32_t)>;

    // One key going down or up, `at` after the start.
    struct KeyMove {
        std::chrono::microseconds at;
        std::uint32_t keycode;
        bool isDown;
    };

    struct Rhythm {
        std::chrono::milliseconds fastest{5};
        std::chrono::milliseconds slowest{60};
        std::chrono::milliseconds shortestHold{20};
        std::chrono::milliseconds longestHold{90};
    };

    Typist(std::uint32_t seed, std::uint32_t shiftKeycode, Rhythm rhythm);
    Typist(std::uint32_t seed, std::uint32_t shiftKeycode) : Typist(seed, shiftKeycode, Rhythm{}) {}

    // The moves that type the UTF-8 text, in time order. Throws std::invalid_argument
    // when no key types one of its characters.
    std::vector<KeyMove> moves(const std::string& text, const KeyFinder& keyOf);

  private:
    std::chrono::microseconds between(std::chrono::milliseconds low,
                                      std::chrono::milliseconds high);

    std::mt19937 random_;
    std::uint32_t shiftKeycode_;
    Rhythm rhythm_;
};

}  // namespace plovik
