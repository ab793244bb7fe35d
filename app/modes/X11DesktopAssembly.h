#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "app/modes/DesktopAssembly.h"
#include "app/modes/X11AccessBackends.h"
#include "platform/linux/SessionBusWatch.h"
#include "platform/x11/X11Desktop.h"
#include "platform/x11/XcbShortcutProbe.h"

namespace plovik {

// The coordinator on the user's X11 desktop: the X11 keyboard (XInput2 capture, grabs,
// XTest, XKB groups), AT-SPI and the active window.
class X11DesktopAssembly final : public DesktopAssembly {
  public:
    // Why this session cannot be used (no X11 display, no EWMH window manager); `mode` names
    // the program in the message ("plovik --headless").
    static std::variant<std::unique_ptr<X11DesktopAssembly>, std::string> open(
        const std::string& mode);
    ~X11DesktopAssembly() override;

    // The keyboard-monitoring problem or accessibility being off.
    std::optional<std::string> missingPermission() const override;

    static constexpr const char* kXServerLostMessage = "the X server connection was lost";
    static constexpr const char* kSessionBusLostMessage = "the session bus connection was lost";
    // When the X server or the session bus is gone.
    void watchForLoss(std::function<void(const std::string&)> onLost) override;
    std::string sessionDescription() const override;
    DesktopKind kind() const override { return DesktopKind::x11; }
    std::optional<X11FreezeRecord::Summary> keyboardFreezes() const override {
        return desktop_->tapFactory().freezes().summary();
    }

    X11Desktop& desktop() { return *desktop_; }

    // PLOVIK_GRAB_ANSWER_MS lets tests on a crowded machine give the main thread longer
    // to answer for a grabbed key (1-50 ms); users keep the few milliseconds.
    static std::chrono::milliseconds grabAnswerBudget(const char* setting);

  private:
    X11DesktopAssembly() = default;
    DesktopPorts ports() override;
    void shortcutsChanged(const std::vector<ShortcutDefinition>& shortcuts) override;

    std::unique_ptr<X11Desktop> desktop_;
    X11AccessBackends::Backends access_;
    std::unique_ptr<XcbShortcutProbe> shortcutProbe_;
    std::unique_ptr<SessionBusWatch> busWatch_;
};

}  // namespace plovik
