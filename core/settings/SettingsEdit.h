#pragma once

#include <nlohmann/json.hpp>
#include <optional>

#include "core/settings/AppSettings.h"

namespace plovik {

// One change of the settings as the members it touched, to be made to whatever document is
// stored by the time it is written: what other programs changed meanwhile in other members
// or other applications, and keys this version does not know, all stay.
class SettingsEdit {
  public:
    // Absent when either record cannot be written (a threshold that is not finite).
    static std::optional<SettingsEdit> between(const AppSettings& before, const AppSettings& after);

    // Makes the change in `document`; a document that is not an object becomes the whole
    // record after the change.
    void applyTo(nlohmann::json& document) const;

  private:
    SettingsEdit(nlohmann::json before, nlohmann::json after)
        : before_(std::move(before)), after_(std::move(after)) {}

    void applyToApplications(nlohmann::json& list) const;

    nlohmann::json before_;
    nlohmann::json after_;
};

}  // namespace plovik
