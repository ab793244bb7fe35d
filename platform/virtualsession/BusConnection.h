#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <string>

typedef struct _GDBusConnection GDBusConnection;

namespace plovik {

// A private connection to one D-Bus bus, for the few calls that bring a session up.
class BusConnection {
  public:
    // Absent when nothing answers at `address`.
    static std::optional<BusConnection> open(const std::string& address);

    bool nameHasOwner(const std::string& name) const;
    // Polls until `name` has an owner; false when `timeout` passed first.
    bool waitForName(const std::string& name, std::chrono::milliseconds timeout) const;
    std::optional<std::string> accessibilityBusAddress() const;
    bool setAccessibilityEnabled(bool enabled) const;
    std::optional<bool> accessibilityEnabled() const;
    // For calls of its own; owned by this object.
    GDBusConnection* get() const { return connection_.get(); }

  private:
    struct Unref {
        void operator()(GDBusConnection* connection) const;
    };
    explicit BusConnection(std::shared_ptr<GDBusConnection> connection)
        : connection_(std::move(connection)) {}

    std::shared_ptr<GDBusConnection> connection_;
};

}  // namespace plovik
