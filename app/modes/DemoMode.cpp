#include "app/modes/DemoMode.h"

#include <string>
#include <variant>

#include "app/session/SimulatedSession.h"

namespace plovik {

int DemoMode::run(std::ostream& out, std::ostream& err) {
    SimulatedSession::Configuration configuration;
    configuration.switchInputSourceAfterCorrection = true;
    auto created = SimulatedSession::create(configuration);
    if (const auto* error = std::get_if<std::string>(&created)) {
        err << "plovik: " << *error << "\n";
        return 1;
    }
    auto& session = *std::get<std::unique_ptr<SimulatedSession>>(created);
    auto& coordinator = session.coordinator();
    out << "Plovik on the simulated desktop: typing \"ghbdtn vbh\" and Return into "
        << configuration.applicationName << " with the US layout selected\n";
    session.type("ghbdtn vbh\n");
    session.settle();

    out << "Field: " << session.fieldText();
    for (const auto& record : coordinator.historyStore().allRecords()) {
        out << "Corrected: " << record.originalToken << " → " << record.correctedToken << "\n";
    }
    out << "Status: " << coordinator.statusMessage().get().value_or("(none)") << "\n"
        << "Selected layout: " << session.inputSources().currentSourceId().value_or("?") << "\n";
    return session.fieldText() == "привет мир\n" ? 0 : 1;
}

}  // namespace plovik
