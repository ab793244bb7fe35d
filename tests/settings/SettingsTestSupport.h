#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/settings/AppSettings.h"
#include "core/support/ReferenceDate.h"
#include "support/TemporaryDirectory.h"

namespace plovik::testing {

inline std::string readTestFile(const std::string& name) {
    return readFile(std::string(PLOVIK_TEST_DATA_DIR) + "/settings/" + name);
}

inline std::vector<std::uint8_t> bytesOf(const std::string& text) {
    return {text.begin(), text.end()};
}

inline EnabledApplication application(const std::string& identifier, const std::string& name,
                                      double threshold = 0.9) {
    return EnabledApplication(identifier, name, std::nullopt, std::nullopt, true, true, true, true,
                              threshold);
}

// The record held by the golden document "full.json".
inline AppSettings fullSettings() {
    AppSettings settings;
    settings.monitoringEnabled = false;
    settings.automaticCorrectionEnabled = false;
    settings.confidenceThreshold = 0.75;
    settings.playCorrectionSound = false;
    settings.correctionSound = CorrectionSound::submarine;
    settings.showCorrectionNotification = true;
    settings.launchAtLogin = true;
    settings.pauseUntil = ReferenceDate::fromSecondsSinceReferenceDate(786'000'000);
    settings.hasCompletedOnboarding = true;
    settings.applications = {
        EnabledApplication(
            "org.gnome.TextEditor",
            "\xD0\xA2\xD0\xB5\xD0\xBA\xD1\x81\xD1\x82\xD0\xBE\xD0\xB2"
            "\xD1\x8B\xD0\xB9 \xD1\x80\xD0\xB5\xD0\xB4\xD0\xB0\xD0\xBA"
            "\xD1\x82\xD0\xBE\xD1\x80",  // Текстовый редактор
            Url::parse("file:///usr/share/applications/org.gnome.TextEditor.desktop"),
            std::vector<std::uint8_t>{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'}, true, true,
            false, true, 0.85),
        EnabledApplication("firefox-esr", "Firefox ESR", std::nullopt, std::nullopt, false, false,
                           true, false, 0.95),
    };
    settings.manualShortcut = {Key::space, Modifier::control};
    settings.undoShortcut = {Key::z, Modifier::control | Modifier::shift};
    settings.pauseShortcut = {Key::p, Modifier::super | Modifier::shift};
    return settings;
}

}  // namespace plovik::testing
