#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/simulated/SimulatedApplicationCatalog.h"

namespace plovik::ui {

// Installed applications with drawn icons for the screenshots and the window tests, so
// that neither depends on what the machine has installed.
class SampleApplications {
  public:
    struct Sample {
        std::string identifier;
        std::string name;
        unsigned colour;
    };

    // Slack and both Telegram packages (which onboarding suggests) and a few others.
    static std::vector<Sample> defaults();
    static void install(SimulatedApplicationCatalog& catalog, const std::vector<Sample>& samples);
    // A rounded square in the colour with the name's first letter, 64 pixels, as PNG.
    static std::vector<std::uint8_t> drawnIcon(const std::string& name, unsigned colour);
};

}  // namespace plovik::ui
