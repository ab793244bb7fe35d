#pragma once

#include <stdlib.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdlib>
#include <iostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/virtualsession/VirtualDisplay.h"
#include "support/ProcessEnvironment.h"

namespace plovik::testing {

// The test program ends with the CTest skip code when a tool the test needs is
// not installed; any other failure to start is a failure.
inline void requireTool(const std::string& name) {
    if (!findProgram(name, environmentWith())) {
        std::cerr << "skipped: " << name << " is not installed\n";
        std::_Exit(77);
    }
}

// A private Xvfb with keyboard layouts, which this process's DISPLAY names;
// stopped with the object.
class VirtualX {
  public:
    explicit VirtualX(const std::string& layouts = "us,ru") : display_(start()) {
        ::setenv("DISPLAY", display_.name().c_str(), 1);
        setLayouts(layouts);
    }

    const std::string& display() const { return display_.name(); }

    // "us,ru" or "us,ru" with variants "intl,".
    void setLayouts(const std::string& layouts, const std::string& variants = "") {
        std::vector<std::string> arguments{"-display", display_.name(), "-layout", layouts};
        if (!variants.empty()) {
            arguments.insert(arguments.end(), {"-variant", variants});
        }
        ChildProcessOptions options;
        options.environment = environmentWith();
        ChildProcess setxkbmap("setxkbmap", arguments, options);
        const auto status = setxkbmap.waitForExit(std::chrono::seconds(10));
        if (!status || !WIFEXITED(*status) || WEXITSTATUS(*status) != 0) {
            throw std::runtime_error("setxkbmap failed");
        }
    }

  private:
    static VirtualDisplay start() {
        requireTool("Xvfb");
        requireTool("setxkbmap");
        VirtualDisplayOptions options;
        options.environment = environmentWith();
        return VirtualDisplay(options);
    }

    VirtualDisplay display_;
};

}  // namespace plovik::testing
