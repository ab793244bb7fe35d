#pragma once

#include <string>

namespace plovik {

// A notification delivered at once, without a trigger.
struct UserNotification {
    std::string identifier;
    std::string title;
    std::string body;

    bool operator==(const UserNotification&) const = default;
};

}  // namespace plovik
