#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/settings/AppSettings.h"
#include "core/settings/EnabledApplication.h"
#include "platform/virtualsession/ChildProcess.h"
#include "platform/virtualsession/GnomeVirtualSession.h"
#include "platform/virtualsession/RemoteDesktopKeyboard.h"

namespace plovik {

// `plovik --headless` at work on a private GNOME Wayland session through its IBus
// engines and Shell extension, typed at through Mutter's virtual keyboard: for the
// end-to-end tests and the measurements of the GNOME route.
class GnomeRehearsal {
  public:
    struct Options {
        std::filesystem::path plovik;
        // The build's component folder and Shell extension.
        std::filesystem::path componentDirectory;
        std::filesystem::path extension;
        std::string inputSources = "[('ibus', 'plovik-us'), ('ibus', 'plovik-ru')]";
        std::vector<EnabledApplication> applications;
        std::function<void(AppSettings&)> adjustSettings;
        // GNOME settings before the Shell starts: {schema, key, value}.
        std::vector<std::vector<std::string>> settings;
        // For the whole session, engines included.
        std::vector<std::string> environment;
        std::vector<std::string> arguments{"--headless"};
        bool writeSettings = true;
    };

    // Throws VirtualSessionError when the session cannot start (toolMissing() when
    // GNOME Shell is not installed) and std::runtime_error when it has no keyboard.
    explicit GnomeRehearsal(Options options);
    ~GnomeRehearsal();
    GnomeRehearsal(const GnomeRehearsal&) = delete;
    GnomeRehearsal& operator=(const GnomeRehearsal&) = delete;

    const GnomeVirtualSession& session() const { return *session_; }
    RemoteDesktopKeyboard& keyboard() { return *keyboard_; }

    // Starts Plovik and waits until it corrects; false (see log()) when it does not.
    bool startPlovik(std::chrono::milliseconds timeout = std::chrono::seconds(20));
    void launchPlovik();
    void stopPlovik();
    ChildProcess* plovik() { return plovik_ ? &*plovik_ : nullptr; }
    std::string log() const;
    bool waitForLog(const std::string& text, std::chrono::milliseconds timeout,
                    int count = 1) const;

    // A program of the session as a Wayland client, or as an X11 one through Xwayland
    // with GTK's IBus module; its standard streams are piped.
    ChildProcess launchWayland(const std::string& program,
                               const std::vector<std::string>& extra = {}) const;
    ChildProcess launchX11(const std::string& program) const;

    // GNOME's current input source, as (type, id); absent when the Shell does not say.
    std::optional<std::pair<std::string, std::string>> currentSource() const;
    bool activateSource(std::size_t index) const;

  private:
    Options options_;
    std::unique_ptr<GnomeVirtualSession> session_;
    std::unique_ptr<RemoteDesktopKeyboard> keyboard_;
    std::optional<ChildProcess> plovik_;
};

}  // namespace plovik
