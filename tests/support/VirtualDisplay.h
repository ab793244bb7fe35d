#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <string>

#include "support/ChildProcess.h"

namespace plovik::testing {

// A private X server (Xvfb) for one test; absent when Xvfb is not installed or does not
// start. The server tells its display number once it accepts connections.
class VirtualDisplay {
  public:
    static std::unique_ptr<VirtualDisplay> start() {
        if (!hasProgram("Xvfb")) {
            return nullptr;
        }
        auto display = std::unique_ptr<VirtualDisplay>(new VirtualDisplay);
        const auto number = display->server_.readLine(std::chrono::seconds(10));
        if (!number || number->empty()) {
            return nullptr;
        }
        display->name_ = ":" + *number;
        return display;
    }

    const std::string& name() const { return name_; }

  private:
    VirtualDisplay()
        : server_({"Xvfb", "-displayfd", "1", "-screen", "0", "640x480x24", "-nolisten", "tcp",
                   "-noreset"},
                  {}, true) {}

    ChildProcess server_;
    std::string name_;
};

}  // namespace plovik::testing
