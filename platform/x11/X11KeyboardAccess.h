#pragma once

#include <functional>
#include <optional>
#include <string>

#include "core/platform/KeyboardAccess.h"

namespace plovik {

// Whether the session's keyboard can be observed: an X11 session whose server offers
// XInput 2.2 and XTest and accepts the capture. Nothing to ask the user for: the
// answer only changes with the session.
class X11KeyboardAccess final : public KeyboardAccess {
  public:
    static constexpr const char* kWaylandMessage =
        "this is a Wayland session, where no application may observe or type keys for others: "
        "Plovik works here through the Fcitx5 input method, not the X11 desktop that "
        "PLOVIK_DESKTOP=x11 asks for.";

    using Environment = std::function<std::optional<std::string>(const char*)>;

    // `captureInstalls` tries the capture and tells why it failed; absent: it works.
    X11KeyboardAccess(Environment environment,
                      std::function<std::optional<std::string>()> captureProblem);

    bool hasAccess() const override;
    bool requestAccess() override { return hasAccess(); }
    // Why access is missing; absent when granted.
    std::optional<std::string> problem() const;

    static bool isWaylandSession(const Environment& environment);

  private:
    Environment environment_;
    std::function<std::optional<std::string>()> captureProblem_;
};

}  // namespace plovik
