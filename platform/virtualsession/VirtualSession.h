#pragma once

#include <chrono>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/virtualsession/ChildProcess.h"
#include "platform/virtualsession/VirtualDisplay.h"

namespace plovik {

struct VirtualSessionOptions {
    std::string screen = "1280x800x24";
    // An XEmbed tray host (trayer), for programs that put an icon in the tray.
    bool trayHost = false;
    // A notification daemon (dunst) on the session bus.
    bool notificationDaemon = false;
    // The user types on a keyboard device of the session's own, as a person does, instead of
    // through XTest, which Plovik types through too: the session's display is then a
    // Xephyr window on a hidden virtual server, and keys sent to that server reach the
    // session from Xephyr's keyboard. Needs Xephyr.
    bool keyboardDevice = false;
    // How long each part may take to come up.
    std::chrono::milliseconds partTimeout{10000};
};

class VirtualSessionError : public std::runtime_error {
  public:
    VirtualSessionError(const std::string& message, bool toolMissing)
        : std::runtime_error(message), toolMissing_(toolMissing) {}
    // The machine lacks a program the session needs (as opposed to one failing).
    bool toolMissing() const { return toolMissing_; }

  private:
    bool toolMissing_;
};

// A desktop of its own for tests and demonstrations: a virtual X server, a private
// session bus, a window manager, the accessibility bus with accessibility switched on,
// and optionally a tray host and a notification daemon. Everything it started is
// stopped, newest first, when it is destroyed.
class VirtualSession {
  public:
    // Throws VirtualSessionError; whatever had started is stopped again.
    explicit VirtualSession(const VirtualSessionOptions& options = {});
    VirtualSession(const VirtualSession&) = delete;
    VirtualSession& operator=(const VirtualSession&) = delete;
    ~VirtualSession();

    const std::string& display() const { return display_; }
    // Where the user's keys are sent: a display whose keys reach this one from a keyboard
    // device (keyboardDevice), or this display.
    const std::string& keyboardDisplay() const {
        return keyboardDisplay_.empty() ? display_ : keyboardDisplay_;
    }
    const std::string& busAddress() const { return busAddress_; }
    // The environment a program of this session runs with, as "NAME=value".
    const std::vector<std::string>& environment() const { return environment_; }
    // Points this process at the session (display, bus), e.g. before libatspi starts.
    void exportToThisProcess() const;
    std::chrono::microseconds startupDuration() const { return startupDuration_; }
    // Ids of the session's own processes, oldest first.
    std::vector<pid_t> processIds() const;
    // A log of the session's parts, for a failure message.
    std::string logTail() const;

    // Starts a program inside the session; the caller owns (and so stops) it.
    ChildProcess launch(const std::string& program, const std::vector<std::string>& arguments,
                        bool pipeStandardStreams = false) const;

    void stop();

  private:
    void start(const VirtualSessionOptions& options);
    ChildProcess& startPart(const std::string& program, const std::vector<std::string>& arguments,
                            std::vector<std::pair<int, int>> passedDescriptors = {});
    void startDisplay(const VirtualSessionOptions& options);
    // A virtual X server, a window on `display` (empty: none); returns its display.
    std::string startServer(const std::string& program, std::vector<std::string> arguments,
                            const std::string& display, const VirtualSessionOptions& options);
    void startBus(const VirtualSessionOptions& options);
    void startWindowManager(const VirtualSessionOptions& options);
    void startAccessibility(const VirtualSessionOptions& options);
    void startTrayHost(const VirtualSessionOptions& options);
    void startNotificationDaemon(const VirtualSessionOptions& options);
    [[noreturn]] void fail(const std::string& message) const;

    std::filesystem::path directory_;
    std::string display_;
    std::string keyboardDisplay_;
    std::string busAddress_;
    std::vector<std::string> environment_;
    // Started first and stopped last: every other part draws on them.
    std::vector<VirtualDisplay> displays_;
    std::vector<ChildProcess> parts_;
    std::chrono::microseconds startupDuration_{0};
};

}  // namespace plovik
