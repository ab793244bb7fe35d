#pragma once

#include <vector>

#include "core/settings/EnabledApplication.h"

namespace plovik::ui {

// The installed applications the windows offer: the known chat applications that
// onboarding suggests, and every application for the chooser of the Applications tab.
// Each comes as the settings entry that adding it would store.
class ApplicationCatalog {
  public:
    virtual ~ApplicationCatalog() = default;
    virtual std::vector<EnabledApplication> suggestedApplications() = 0;
    virtual std::vector<EnabledApplication> installedApplications() = 0;
};

}  // namespace plovik::ui
