// The program's modes: the desktop application (no option), the rendered screenshots
// of its windows, and the simulated demonstration.
#include <cstring>
#include <iostream>
#include <string>
#include <variant>

#include "app/coordinator/SimulatedSession.h"
#include "app/ui/UiModes.h"

namespace {

// The application on the simulated desktop, where the user types "ghbdtn vbh" and
// Return into an enabled editor with the US layout selected; prints what the editor's
// field shows afterwards.
int runDemo() {
    using namespace plovik;
    SimulatedSession::Configuration configuration;
    configuration.switchInputSourceAfterCorrection = true;
    auto created = SimulatedSession::create(configuration);
    if (const auto* error = std::get_if<std::string>(&created)) {
        std::cerr << "plovik: " << *error << "\n";
        return 1;
    }
    auto& session = *std::get<std::unique_ptr<SimulatedSession>>(created);
    auto& coordinator = session.coordinator();
    std::cout << "Plovik on the simulated desktop: typing \"ghbdtn vbh\" and Return into "
              << configuration.applicationName << " with the US layout selected\n";
    session.type("ghbdtn vbh\n");
    session.settle();

    std::cout << "Field: " << session.fieldText();
    for (const auto& record : coordinator.historyStore().allRecords()) {
        std::cout << "Corrected: " << record.originalToken << " → " << record.correctedToken
                  << "\n";
    }
    std::cout << "Status: " << coordinator.statusMessage().get().value_or("(none)") << "\n"
              << "Selected layout: " << session.inputSources().currentSourceId().value_or("?")
              << "\n";
    return session.fieldText() == "привет мир\n" ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 2 && std::strcmp(argv[1], "--demo") == 0) {
        return runDemo();
    }
    if (argc >= 2 && std::strcmp(argv[1], "--screenshots") == 0) {
        if (argc < 3) {
            std::cerr << "usage: plovik --screenshots DIR\n";
            return 2;
        }
        return plovik::ui::runScreenshots(argv[2], argc, argv);
    }
    return plovik::ui::runDesktopApplication(argc, argv);
}
