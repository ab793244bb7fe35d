#pragma once

#include <nlohmann/json.hpp>
#include <optional>
#include <vector>

#include "core/capture/ShortcutDefinition.h"
#include "core/platform/Clock.h"
#include "core/settings/CorrectionEngineKind.h"
#include "core/settings/CorrectionSound.h"
#include "core/settings/EnabledApplication.h"
#include "core/settings/SettingsFieldProblem.h"

namespace plovik {

// Everything the user can set; a default-constructed record holds the defaults.
struct AppSettings {
    bool monitoringEnabled = true;
    bool automaticCorrectionEnabled = true;
    // Used where no enabled application supplies its own.
    double confidenceThreshold = 0.9;
    bool playCorrectionSound = true;
    // When absent, "Pop" is played.
    std::optional<CorrectionSound> correctionSound = CorrectionSound::pop;
    bool showCorrectionNotification = false;
    bool launchAtLogin = false;
    std::optional<TimePoint> pauseUntil;
    bool hasCompletedOnboarding = false;
    std::vector<EnabledApplication> applications;
    ShortcutDefinition manualShortcut = ShortcutDefinition::altSpace();
    ShortcutDefinition undoShortcut = ShortcutDefinition::altShiftSpace();
    ShortcutDefinition pauseShortcut = ShortcutDefinition::altSuperP();
    // Converts the selection, or the phrase just typed, to the other layout. Files written
    // before it existed, or holding no valid shortcut for it, read as the default.
    ShortcutDefinition convertShortcut = ShortcutDefinition::altSuperC();
    // Files written before the choice existed, or naming an unknown engine, read as extended.
    CorrectionEngineKind correctionEngine = CorrectionEngineKind::extended;

    // Absent when a threshold is not a finite number, which JSON cannot hold.
    std::optional<nlohmann::json> toJson() const;
    // Absent unless every required key, also in each application, is present with
    // the right type; unknown keys are ignored.
    static std::optional<AppSettings> fromJson(const nlohmann::json& json);
    // Every member that can be read; each one that cannot keeps its value in `fallback` and
    // is named in `problems`. An application without an identifier is left out; one missing
    // some other member takes it from the fallback's entry of the same identifier, or from a
    // new entry's defaults.
    static AppSettings fromJson(const nlohmann::json& json, const AppSettings& fallback,
                                std::vector<SettingsFieldProblem>& problems);

    bool operator==(const AppSettings&) const = default;
};

}  // namespace plovik
