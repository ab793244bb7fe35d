#pragma once

#include <string>

#include "core/settings/EnabledApplication.h"

namespace plovik {

// A well-known application found installed, offered for enabling.
struct InstalledApplicationSuggestion {
    // The identifier from the suggestion table.
    std::string id;
    EnabledApplication application;
    // Ticked by the user during onboarding.
    bool isSelected = false;

    bool operator==(const InstalledApplicationSuggestion&) const = default;
};

}  // namespace plovik
