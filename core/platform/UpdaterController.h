#pragma once

#include <optional>
#include <string>

#include "core/support/Published.h"

namespace plovik {

// The software-update component: four observable flags and a check command. Two of the
// flags are the user's switches and are written through the setters; the change comes
// back through the published value.
class UpdaterController {
  public:
    virtual ~UpdaterController() = default;

    virtual Published<bool>& canCheckForUpdates() = 0;
    virtual Published<bool>& automaticallyChecksForUpdates() = 0;
    virtual Published<bool>& automaticallyDownloadsUpdates() = 0;
    virtual Published<bool>& allowsAutomaticUpdates() = 0;

    virtual void setAutomaticallyChecksForUpdates(bool checks) = 0;
    virtual void setAutomaticallyDownloadsUpdates(bool downloads) = 0;
    virtual void checkForUpdates() = 0;
    // Why checking is not possible here, for the user; absent while it is.
    virtual std::optional<std::string> unavailableReason() const = 0;
};

}  // namespace plovik
