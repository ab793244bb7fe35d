#include "platform/atspi/AtspiConnection.h"

namespace plovik {
namespace {

// A quarantined application gets one call through per period to show it is back.
constexpr std::chrono::milliseconds kQuarantine{1000};

}  // namespace

std::unique_ptr<AtspiConnection> AtspiConnection::open(std::chrono::milliseconds callTimeout) {
    if (atspi_init() > 1) {
        return nullptr;
    }
    return std::unique_ptr<AtspiConnection>(new AtspiConnection(callTimeout));
}

AtspiConnection::AtspiConnection(std::chrono::milliseconds callTimeout)
    : unresponsive_(std::make_shared<UnresponsiveApplications>(callTimeout, kQuarantine)) {
    // libatspi would give an application that registered lately a much longer timeout;
    // one that hangs while starting must not stall us longer than any other.
    const int timeout = static_cast<int>(callTimeout.count());
    atspi_set_timeout(timeout, timeout);
}

AtspiConnection::~AtspiConnection() {
    atspi_exit();
}

AtspiObject AtspiConnection::borrowed(AtspiAccessible* accessible) const {
    return AtspiObject(GObjectRef<AtspiAccessible>::retain(accessible), unresponsive_);
}

AtspiObject AtspiConnection::adopted(AtspiAccessible* accessible) const {
    return AtspiObject(GObjectRef<AtspiAccessible>::adopt(accessible), unresponsive_);
}

std::vector<AtspiObject> AtspiConnection::applications() const {
    // The desktop is answered by the registry, never by an application.
    const auto desktop = adopted(atspi_get_desktop(0));
    return desktop.children().value_or(std::vector<AtspiObject>{});
}

}  // namespace plovik
