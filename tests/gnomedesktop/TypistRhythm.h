#pragma once

#include <algorithm>
#include <chrono>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "platform/virtualsession/RemoteDesktopKeyboard.h"

namespace plovik::testing {

// A fast typist's rhythm, seeded: most keys about 112 ms apart, one gap in eight a burst
// of 15-60 ms, each key held 20-60 ms, so that a key is often still down when the next
// goes down.
class TypistRhythm {
  public:
    explicit TypistRhythm(unsigned seed) : random_(seed) {}

    // False when a character has no key.
    bool type(RemoteDesktopKeyboard& keyboard, const std::string& text) {
        struct Event {
            std::chrono::milliseconds at;
            Key key;
            bool down;
        };
        std::vector<Event> events;
        std::chrono::milliseconds at{0};
        for (const char character : text) {
            const auto key = RemoteDesktopKeyboard::usKeyFor(character);
            if (!key) {
                return false;
            }
            const std::chrono::milliseconds hold{between(20, 60)};
            if (key->second) {
                events.push_back({at, Key::leftShift, true});
                events.push_back({at + hold + std::chrono::milliseconds(5), Key::leftShift, false});
            }
            events.push_back(
                {at + std::chrono::milliseconds(key->second ? 5 : 0), key->first, true});
            events.push_back({at + hold, key->first, false});
            at +=
                std::chrono::milliseconds(between(0, 7) == 0 ? between(15, 60) : between(80, 145));
        }
        std::stable_sort(events.begin(), events.end(),
                         [](const Event& a, const Event& b) { return a.at < b.at; });
        const auto start = std::chrono::steady_clock::now();
        for (const auto& event : events) {
            std::this_thread::sleep_until(start + event.at);
            if (!keyboard.press(event.key, event.down)) {
                return false;
            }
        }
        return true;
    }

  private:
    int between(int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(random_);
    }

    std::mt19937 random_;
};

}  // namespace plovik::testing
