#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "platform/virtualsession/ChildProcess.h"
#include "platform/virtualsession/Pipe.h"

namespace plovik {

struct VirtualDisplayOptions {
    // Xvfb, or Xephyr for a window on the display DISPLAY in `environment` names.
    std::string server = "Xvfb";
    // The screen and any other arguments of the server's own: Xvfb takes
    // "-screen 0 WxHxD", Xephyr "-screen WxH".
    std::vector<std::string> arguments{"-screen", "0", "640x480x24"};
    // The server's whole environment, as "NAME=value".
    std::vector<std::string> environment;
    std::optional<std::string> logFile;
    std::chrono::milliseconds timeout{10000};
};

// A virtual X server of this process's own, stopped with the object. The server
// picks a free display number and tells it (-displayfd), so parallel tests
// never collide.
class VirtualDisplay {
  public:
    // Throws std::system_error when the server cannot be started and
    // std::runtime_error when it names no display in time.
    explicit VirtualDisplay(const VirtualDisplayOptions& options);

    // ":N"
    const std::string& name() const { return name_; }
    ChildProcess& process() { return server_; }
    const ChildProcess& process() const { return server_; }

  private:
    VirtualDisplay(const VirtualDisplayOptions& options, Pipe&& displayNumber);

    ChildProcess server_;
    std::string name_;
};

}  // namespace plovik
