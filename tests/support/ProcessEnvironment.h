#pragma once

#include <string>
#include <utility>
#include <vector>

#include "platform/virtualsession/ChildProcess.h"

extern char** environ;

namespace plovik::testing {

// This process's environment with `overrides` ("NAME=value") taking precedence,
// for a helper program a test starts.
inline std::vector<std::string> environmentWith(std::vector<std::string> overrides = {}) {
    for (char** entry = environ; *entry != nullptr; ++entry) {
        overrides.emplace_back(*entry);
    }
    return overrides;
}

// How a test starts a helper program: this process's environment with
// `overrides`, its standard error discarded and its standard output piped to
// the test when asked.
inline ChildProcessOptions helperOptions(std::vector<std::string> overrides = {},
                                         bool pipesOutput = false) {
    ChildProcessOptions options;
    options.environment = environmentWith(std::move(overrides));
    options.logFile = "/dev/null";
    options.pipeStandardOutput = pipesOutput;
    return options;
}

}  // namespace plovik::testing
