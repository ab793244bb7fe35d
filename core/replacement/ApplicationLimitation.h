#pragma once

#include <string>

namespace plovik {

// Why Plovik cannot correct, or cannot always correct, in an application: told to the user
// next to it in the settings.
struct ApplicationLimitation {
    // A few words for the list of applications.
    std::string summary;
    // The whole reason, and what the user can do about it.
    std::string explanation;

    bool operator==(const ApplicationLimitation&) const = default;
};

}  // namespace plovik
