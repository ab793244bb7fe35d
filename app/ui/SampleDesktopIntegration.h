#pragma once

#include <optional>
#include <string>

#include "app/modes/DesktopIntegration.h"

namespace plovik::ui {

// GNOME's set-up as a user with the US and Russian layouts meets it, for the screenshots:
// not on yet, and the Shell extension new to the session.
class SampleDesktopIntegration final : public DesktopIntegration {
  public:
    Status status() override;
    std::optional<std::string> turnOn() override;
    std::optional<std::string> turnOff() override;
    bool desktopTakes(const ShortcutDefinition& shortcut) override;
    bool freeForPlovik(const ShortcutDefinition& shortcut) override;

  private:
    bool isOn_ = false;
    bool windowMenuFreed_ = false;
};

}  // namespace plovik::ui
