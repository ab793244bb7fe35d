#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <variant>

#include "core/platform/Accessibility.h"
#include "core/platform/ActiveApplication.h"
#include "platform/atspi/AtspiAccessibility.h"

namespace plovik {

// Opens the AT-SPI accessibility and EWMH workspace backends of the X11 desktop.
class X11AccessBackends {
  public:
    struct Backends {
        std::unique_ptr<Accessibility> accessibility;
        std::unique_ptr<ActiveApplication> workspace;
        // The same accessibility backend, for what only AT-SPI offers.
        AtspiAccessibility* atspi = nullptr;
    };

    static constexpr const char* kAccessibilityOffMessage =
        "accessibility is off, so Plovik cannot read or correct text; switch it on in the "
        "desktop's accessibility settings (Qt applications started before must be restarted)";

    // A hung application costs at most this per call, and is then left alone a while.
    static constexpr std::chrono::milliseconds kCallTimeout{150};

    static std::variant<Backends, std::string> open();
};

}  // namespace plovik
