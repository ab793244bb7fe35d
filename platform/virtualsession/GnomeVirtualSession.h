#pragma once

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/virtualsession/BusConnection.h"
#include "platform/virtualsession/ChildProcess.h"
#include "platform/virtualsession/VirtualSession.h"

namespace plovik {

struct GnomeVirtualSessionOptions {
    // GNOME's input sources at start, as gsettings writes them.
    std::string inputSources = "[('ibus', 'plovik-us'), ('ibus', 'plovik-ru')]";
    // Where IBus finds Plovik's component (besides its own folder).
    std::string componentDirectory;
    // Plovik's Shell extension, installed for the session's user and enabled.
    std::optional<std::filesystem::path> extension;
    // Settings written before the Shell starts: {schema, key, value}.
    std::vector<std::vector<std::string>> settings;
    // Extra environment of the whole session, as "NAME=value".
    std::vector<std::string> environment;
    bool xwayland = true;
    // How long each part may take to come up.
    std::chrono::milliseconds partTimeout{20000};
};

// A GNOME Wayland session of its own for tests and measurements: a private session bus
// and a second private bus standing in for the system bus (GNOME Shell wants one), GNOME
// Shell headless on a virtual monitor (which starts IBus and, when asked, Xwayland), in a
// throwaway home and runtime folder. Everything it started is stopped when it is
// destroyed, the programs GNOME started included (found by their runtime folder).
class GnomeVirtualSession {
  public:
    static constexpr const char* kShellProgram = "gnome-shell";
    static constexpr const char* kExtensionBusName = "io.github.plovik.Shell";

    // Throws VirtualSessionError (toolMissing() when GNOME Shell is not installed).
    explicit GnomeVirtualSession(const GnomeVirtualSessionOptions& options = {});
    GnomeVirtualSession(const GnomeVirtualSession&) = delete;
    GnomeVirtualSession& operator=(const GnomeVirtualSession&) = delete;
    ~GnomeVirtualSession();

    const std::vector<std::string>& environment() const { return environment_; }
    const std::string& busAddress() const { return busAddress_; }
    const std::filesystem::path& home() const { return home_; }
    const std::filesystem::path& runtimeDirectory() const { return runtime_; }
    // The Xwayland display (":N") and its authority file, once an X11 client asked for it.
    std::optional<std::string> x11Display() const;
    std::optional<std::string> xauthority() const;
    // The environment of an X11 client of the session.
    std::vector<std::string> x11Environment() const;
    std::chrono::microseconds startupDuration() const { return startupDuration_; }
    std::string logTail() const;

    // Starts a program in the session (the caller owns it); `extra` replaces variables.
    ChildProcess launch(const std::string& program, const std::vector<std::string>& arguments,
                        bool pipeStandardStreams = false,
                        const std::vector<std::string>& extra = {}) const;
    // Runs `gsettings set` in the session; false when it failed.
    bool setSetting(const std::string& schema, const std::string& key,
                    const std::string& value) const;
    std::optional<std::string> setting(const std::string& schema, const std::string& key) const;
    // Every process running with the session's runtime folder, the Shell's helpers included.
    std::vector<pid_t> processIds() const;
    const BusConnection& bus() const { return *bus_; }

    void stop();

  private:
    void start(const GnomeVirtualSessionOptions& options);
    std::string startBus(const std::filesystem::path& folder, const std::string& name,
                         std::chrono::milliseconds timeout);
    void startShell(const GnomeVirtualSessionOptions& options);
    void waitForExtension(const GnomeVirtualSessionOptions& options);
    bool overviewActive() const;
    void hideOverview();
    void stopLeftovers();
    [[noreturn]] void fail(const std::string& message) const;

    std::filesystem::path directory_;
    std::filesystem::path runtime_;
    std::filesystem::path home_;
    std::string busAddress_;
    std::vector<std::string> environment_;
    std::vector<ChildProcess> parts_;
    std::optional<BusConnection> bus_;
    std::chrono::microseconds startupDuration_{0};
};

}  // namespace plovik
