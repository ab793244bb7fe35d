#pragma once

#include <optional>
#include <string>

#include "core/support/Published.h"

namespace plovik {

// The software-update component: whether a check can be asked for, and the check. Updates
// come with the system's packages, so nothing is checked or downloaded by itself.
class UpdaterController {
  public:
    virtual ~UpdaterController() = default;

    virtual Published<bool>& canCheckForUpdates() = 0;
    virtual void checkForUpdates() = 0;
    // Why checking is not possible here, for the user; absent while it is.
    virtual std::optional<std::string> unavailableReason() const = 0;
};

}  // namespace plovik
