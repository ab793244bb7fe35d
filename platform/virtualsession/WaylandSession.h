#pragma once

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/virtualsession/ChildProcess.h"
#include "platform/virtualsession/VirtualSession.h"

namespace plovik {

struct WaylandSessionOptions {
    // Fcitx5's input methods, in order; the first is active.
    std::vector<std::string> inputMethods{"keyboard-us", "keyboard-ru"};
    // The folder of Plovik's Fcitx5 module (libplovik.so) and a data folder holding
    // fcitx5/addon/plovik.conf; absent: Fcitx5 runs without it.
    std::optional<std::filesystem::path> moduleFolder;
    std::optional<std::filesystem::path> moduleDataFolder;
    // More environment for Fcitx5 alone, as "NAME=value".
    std::vector<std::string> fcitx5Environment;
    std::chrono::milliseconds partTimeout{10000};
};

// A Wayland desktop of its own for tests and measurements: a private runtime folder and
// session bus, headless sway (software rendering, no input devices) and Fcitx5 with a
// profile of its own. Sway refuses to run as root, so a root process runs the whole
// session, and every program started in it, as an unprivileged user. Everything it started
// is stopped, newest first, when it is destroyed. Throws VirtualSessionError like
// VirtualSession.
class WaylandSession {
  public:
    explicit WaylandSession(const WaylandSessionOptions& options = {});
    WaylandSession(const WaylandSession&) = delete;
    WaylandSession& operator=(const WaylandSession&) = delete;
    ~WaylandSession();

    // The environment of a program of this session, as "NAME=value".
    const std::vector<std::string>& environment() const { return environment_; }
    // Whom its programs run as; absent: as this process.
    const std::optional<ChildCredentials>& credentials() const { return credentials_; }
    const std::filesystem::path& folder() const { return folder_; }
    const std::filesystem::path& runtimeFolder() const { return runtime_; }
    // A new folder in the session that its user owns.
    std::filesystem::path makeFolder(const std::string& name) const;

    // Starts a program in the session, with `extraEnvironment` ("NAME=value") on top of
    // the session's; the caller owns (and so stops) it.
    ChildProcess launch(const std::string& program, const std::vector<std::string>& arguments,
                        const std::vector<std::string>& extraEnvironment = {},
                        bool pipeStandardStreams = false,
                        std::optional<std::string> logFile = std::nullopt) const;
    // What a short program of the session prints, once it has ended; absent when it fails
    // or takes longer than `timeout`.
    std::optional<std::string> output(const std::string& program,
                                      const std::vector<std::string>& arguments,
                                      std::chrono::milliseconds timeout) const;
    std::vector<pid_t> processIds() const;
    // Fcitx5's process.
    pid_t inputMethodProcess() const { return inputMethod_; }
    // Stops Fcitx5 and starts it again, as `fcitx5 -r` does; throws VirtualSessionError
    // when it does not come back.
    void restartInputMethod();
    std::chrono::microseconds startupDuration() const { return startupDuration_; }
    // The session's log, for a failure message.
    std::string logTail() const;
    void stop();

  private:
    void start(const WaylandSessionOptions& options);
    void prepareFolders(const WaylandSessionOptions& options);
    ChildProcess& startPart(const std::string& program, const std::vector<std::string>& arguments,
                            const std::vector<std::string>& extraEnvironment,
                            std::vector<std::pair<int, int>> passedDescriptors = {});
    void startBus(const WaylandSessionOptions& options);
    void startCompositor(const WaylandSessionOptions& options);
    void startInputMethod(const WaylandSessionOptions& options);
    void giveToSessionUser(const std::filesystem::path& path) const;
    [[noreturn]] void fail(const std::string& message) const;

    std::optional<ChildCredentials> credentials_;
    std::filesystem::path folder_;
    std::filesystem::path runtime_;
    std::vector<std::string> environment_;
    std::vector<ChildProcess> parts_;
    pid_t inputMethod_ = -1;
    WaylandSessionOptions options_;
    std::chrono::microseconds startupDuration_{0};
};

}  // namespace plovik
