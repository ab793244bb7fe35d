#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <variant>

#include "app/session/SimulatedSession.h"

namespace plovik::testing {

// A session on the simulated desktop; a session that cannot be built fails the test
// through the exception.
inline std::unique_ptr<SimulatedSession> makeSession(
    SimulatedSession::Configuration configuration = {}) {
    auto created = SimulatedSession::create(std::move(configuration));
    if (auto* error = std::get_if<std::string>(&created)) {
        throw std::runtime_error("cannot build the simulated session: " + *error);
    }
    return std::move(std::get<std::unique_ptr<SimulatedSession>>(created));
}

// Brings another application to the front with the caret in a field holding `text`.
inline SimulatedElementRef activateOtherApplication(SimulatedSession& session,
                                                    const std::string& text) {
    constexpr std::int32_t kOtherProcessIdentifier = 5000;
    auto other = session.desktop().launch("org.example.Other", "Other", kOtherProcessIdentifier);
    auto field = session.desktop().addFocusedTextField(*other, text);
    session.desktop().activate(kOtherProcessIdentifier);
    return field;
}

}  // namespace plovik::testing
