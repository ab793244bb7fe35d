#pragma once

#include <optional>
#include <string>

#include "core/platform/KeyboardAccess.h"
#include "platform/fcitx5/Fcitx5ModuleClient.h"

namespace plovik {

// Whether Plovik sees the keyboard through Fcitx5: its module is loaded and answers. Asking
// again connects to a module that has come (back) since.
class Fcitx5KeyboardAccess final : public KeyboardAccess {
  public:
    explicit Fcitx5KeyboardAccess(Fcitx5ModuleClient& module) : module_(module) {}

    bool hasAccess() const override;
    bool requestAccess() override;
    // Why the keyboard cannot be seen; absent when it can.
    std::optional<std::string> problem() const;

  private:
    Fcitx5ModuleClient& module_;
    mutable std::optional<std::string> lastProblem_;
};

}  // namespace plovik
