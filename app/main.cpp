// Plovik without a desktop: the application runs on the simulated desktop, where the
// user types "ghbdtn vbh" and Return into an enabled editor with the US layout
// selected; the program prints what the editor's field shows afterwards.
#include <iostream>
#include <string>
#include <variant>

#include "app/coordinator/SimulatedSession.h"

int main() {
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
