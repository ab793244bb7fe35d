#pragma once

namespace plovik {

// Whether this process may listen to the keyboard of the whole session.
class InputMonitoringAccess {
  public:
    virtual ~InputMonitoringAccess() = default;
    virtual bool preflightListenEventAccess() const = 0;
    // Asks the system (or the user) for access; the answer may come later.
    virtual bool requestListenEventAccess() = 0;
};

}  // namespace plovik
