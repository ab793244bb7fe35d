#pragma once

#include <atspi/atspi.h>

#include <cstdint>
#include <optional>

#include "platform/x11/AtspiConnection.h"
#include "platform/x11/AtspiObject.h"
#include "platform/x11/GObjectRef.h"

namespace plovik {

// Keeps the desktop's focused object current from AT-SPI focus events.
// Events come twice, a new application's gain can come before the old one's loss, and
// Qt and Chromium mark a container focused together with the field: so a loss only
// clears the object it names, and an object without Text does not displace a field of
// the same application while the field keeps its focused state.
class AtspiFocusTracker {
  public:
    explicit AtspiFocusTracker(const AtspiConnection& connection);
    AtspiFocusTracker(const AtspiFocusTracker&) = delete;
    AtspiFocusTracker& operator=(const AtspiFocusTracker&) = delete;
    ~AtspiFocusTracker();

    // The tracked object when it still says it has focus (one call to its application).
    std::optional<AtspiObject> focused() const;
    // What the events said last, unchecked.
    const std::optional<AtspiObject>& reported() const { return current_; }
    std::uint64_t eventCount() const { return eventCount_; }

    void focusGained(const AtspiObject& object);
    void focusLost(const AtspiObject& object);

  private:
    static void onEvent(AtspiEvent* event, void* tracker);
    static bool stillFocused(const std::optional<AtspiObject>& object);

    const AtspiConnection& connection_;
    GObjectRef<AtspiEventListener> listener_;
    std::optional<AtspiObject> current_;
    // A container focused together with the current field; it takes over when the field
    // loses focus first.
    std::optional<AtspiObject> companion_;
    std::uint64_t eventCount_ = 0;
};

}  // namespace plovik
