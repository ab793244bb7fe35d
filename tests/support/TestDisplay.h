#pragma once

#include <exception>
#include <memory>

#include "platform/virtualsession/VirtualDisplay.h"
#include "support/ProcessEnvironment.h"

namespace plovik::testing {

// A private X server (Xvfb) for one test; absent when Xvfb is not installed or
// does not start, so that the test can skip.
inline std::unique_ptr<VirtualDisplay> startTestDisplay() {
    VirtualDisplayOptions options;
    options.environment = environmentWith();
    options.logFile = "/dev/null";
    if (!findProgram(options.server, options.environment)) {
        return nullptr;
    }
    try {
        return std::make_unique<VirtualDisplay>(options);
    } catch (const std::exception&) {
        return nullptr;
    }
}

}  // namespace plovik::testing
