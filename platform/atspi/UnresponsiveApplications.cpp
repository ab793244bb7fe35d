#include "platform/atspi/UnresponsiveApplications.h"

namespace plovik {

UnresponsiveApplications::UnresponsiveApplications(std::chrono::milliseconds callTimeout,
                                                   std::chrono::milliseconds quarantine)
    : callTimeout_(callTimeout), quarantine_(quarantine) {}

bool UnresponsiveApplications::isQuarantined(const std::string& busName) const {
    const auto found = quarantinedUntil_.find(busName);
    return found != quarantinedUntil_.end() && Clock::now() < found->second;
}

void UnresponsiveApplications::record(const std::string& busName, bool succeeded,
                                      Clock::time_point start) {
    const auto now = Clock::now();
    if (succeeded) {
        quarantinedUntil_.erase(busName);
    } else if (now - start >= callTimeout_ * 3 / 4) {
        // A failure that took about the whole timeout: nobody answered.
        quarantinedUntil_[busName] = now + quarantine_;
    }
}

}  // namespace plovik
