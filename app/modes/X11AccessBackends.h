#pragma once

#include <chrono>
#include <string>
#include <variant>

#include "app/modes/HeadlessMode.h"
#include "core/platform/MainQueue.h"

namespace plovik {

// Opens the AT-SPI accessibility and EWMH workspace backends of the X11 desktop.
class X11AccessBackends {
  public:
    static constexpr const char* kAccessibilityOffMessage =
        "accessibility is off, so Plovik cannot read or correct text; switch it on in the "
        "desktop's accessibility settings (Qt applications started before must be restarted)";

    // A hung application costs at most this per call, and is then left alone a while.
    static constexpr std::chrono::milliseconds kCallTimeout{150};

    static std::variant<HeadlessMode::AccessBackends, std::string> open(MainQueue& mainQueue);
};

}  // namespace plovik
