#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <variant>

#include "app/coordinator/SimulatedSession.h"

namespace plovik::testing {

// A session on the simulated desktop, failing the test when it cannot be built.
inline std::unique_ptr<SimulatedSession> makeSession(
    SimulatedSession::Configuration configuration = {}) {
    auto created = SimulatedSession::create(std::move(configuration));
    if (auto* error = std::get_if<std::string>(&created)) {
        ADD_FAILURE() << *error;
        return nullptr;
    }
    return std::move(std::get<std::unique_ptr<SimulatedSession>>(created));
}

}  // namespace plovik::testing
