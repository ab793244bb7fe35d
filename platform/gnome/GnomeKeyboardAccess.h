#pragma once

#include <functional>
#include <optional>
#include <string>

#include "core/platform/KeyboardAccess.h"
#include "platform/ibus/IbusEngineLink.h"

namespace plovik {

// On GNOME Plovik sees typing through its own input sources: access is there while
// their engines are connected. Asking for it sets them up (GNOME's sources replaced by
// Plovik's of the same layouts), which `setUp` does and which may take a moment.
class GnomeKeyboardAccess final : public KeyboardAccess {
  public:
    static constexpr const char* kNotSetUpMessage =
        "Plovik sees what you type on GNOME through its own input sources, and none of "
        "them is in use: set them up in Plovik's welcome window (or Privacy settings), or "
        "choose one of Plovik's input sources in GNOME's keyboard settings.";

    GnomeKeyboardAccess(const IbusEngineLink& link, std::function<bool()> setUp);

    bool hasAccess() const override;
    bool requestAccess() override;
    // Why access is missing; absent when granted.
    std::optional<std::string> problem() const;

  private:
    const IbusEngineLink& link_;
    std::function<bool()> setUp_;
};

}  // namespace plovik
