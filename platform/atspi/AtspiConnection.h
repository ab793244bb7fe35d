#pragma once

#include <atspi/atspi.h>

#include <chrono>
#include <memory>
#include <optional>
#include <vector>

#include "platform/atspi/AtspiObject.h"
#include "platform/atspi/UnresponsiveApplications.h"

namespace plovik {

// This process's connection to the accessibility bus. libatspi keeps one connection per
// process, so there is at most one of these at a time; its events are delivered by the
// default GLib main context.
class AtspiConnection {
  public:
    // Absent when the accessibility bus cannot be reached.
    static std::unique_ptr<AtspiConnection> open(std::chrono::milliseconds callTimeout);
    AtspiConnection(const AtspiConnection&) = delete;
    AtspiConnection& operator=(const AtspiConnection&) = delete;
    ~AtspiConnection();

    std::chrono::milliseconds callTimeout() const { return unresponsive_->callTimeout(); }
    // An object libatspi handed us without a reference of our own.
    AtspiObject borrowed(AtspiAccessible* accessible) const;
    AtspiObject adopted(AtspiAccessible* accessible) const;
    // The applications registered on the bus (children of the desktop).
    std::vector<AtspiObject> applications() const;

  private:
    explicit AtspiConnection(std::chrono::milliseconds callTimeout);

    std::shared_ptr<UnresponsiveApplications> unresponsive_;
};

}  // namespace plovik
