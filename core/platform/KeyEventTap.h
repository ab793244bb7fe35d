#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace plovik {

// One key event as the global tap delivers it.
struct KeyEvent {
    static constexpr std::uint32_t kKeyDown = 10;
    static constexpr std::uint32_t kTapDisabledByTimeout = 0xFFFFFFFE;
    static constexpr std::uint32_t kTapDisabledByUserInput = 0xFFFFFFFF;

    std::uint32_t type = kKeyDown;
    std::uint16_t keyCode = 0;
    std::uint64_t flags = 0;
    std::int64_t userData = 0;
    // What the key types under the current layout and modifiers, after dead-key
    // processing; absent when the event cannot say.
    std::optional<std::string> characters;

    bool operator==(const KeyEvent&) const = default;
};

enum class TapDisposition { pass, swallow };

// An installed, active key-down tap. Destroying it removes it from the system.
class KeyEventTap {
  public:
    virtual ~KeyEventTap() = default;
    virtual void setEnabled(bool enabled) = 0;
    virtual bool isEnabled() const = 0;
};

// Creates taps; the callback runs on the main thread for every key-down event and
// for the tap-disabled notifications, and decides whether the event goes on.
class KeyEventTapFactory {
  public:
    using Callback = std::function<TapDisposition(const KeyEvent&)>;

    virtual ~KeyEventTapFactory() = default;
    // Null when the system refuses the tap (usually: Input Monitoring not granted).
    virtual std::unique_ptr<KeyEventTap> createTap(Callback callback) = 0;
};

}  // namespace plovik
