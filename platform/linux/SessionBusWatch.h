#pragma once

#include <functional>
#include <memory>

namespace plovik {

// Tells when this process's connection to the session bus closes (the bus has ended).
// GLib's default would stop the process as if it had been asked to, with nothing said and
// a status that means all went well.
class SessionBusWatch {
  public:
    // Absent when there is no session bus to watch. `onClosed` runs on the main context.
    static std::unique_ptr<SessionBusWatch> watch(std::function<void()> onClosed);
    ~SessionBusWatch();
    SessionBusWatch(const SessionBusWatch&) = delete;
    SessionBusWatch& operator=(const SessionBusWatch&) = delete;

  private:
    struct Handles;
    explicit SessionBusWatch(std::unique_ptr<Handles> handles);

    std::unique_ptr<Handles> handles_;
};

}  // namespace plovik
