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
#include "platform/virtualsession/VirtualSession.h"
#include "platform/x11/X11Connection.h"
#include "platform/x11/X11ExpectedKeys.h"
#include "platform/x11/X11KeyboardState.h"
#include "platform/x11/XTestKeyTyper.h"
#include "tests/support/rehearsal/Typist.h"

namespace plovik {

// `plovik --headless` at work on a private X11 session, driven as a user would: its
// own settings and history folders, the session's layouts, and a keyboard that types
// through XTest like any other program. For the desktop demonstration and the
// end-to-end tests.
class DesktopRehearsal {
  public:
    struct Options {
        // "us,ru": the session's XKB groups.
        std::string layouts = "us,ru";
        std::vector<EnabledApplication> applications;
        std::filesystem::path plovik;
        // Changes to the stored settings before Plovik starts.
        std::function<void(AppSettings&)> adjustSettings;
        // Extra environment for Plovik, as "NAME=value".
        std::vector<std::string> environment;
        std::vector<std::string> arguments{"--headless"};
        // False: no settings are written, as on a new installation.
        bool writeSettings = true;
    };

    // Throws std::runtime_error when the session's keyboard cannot be set up.
    DesktopRehearsal(const VirtualSession& session, Options options);
    ~DesktopRehearsal();
    DesktopRehearsal(const DesktopRehearsal&) = delete;
    DesktopRehearsal& operator=(const DesktopRehearsal&) = delete;

    // An enabled application with automatic and manual correction on.
    static EnabledApplication enabled(const std::string& id, const std::string& name,
                                      bool switchesLayout = true);

    // Starts Plovik and waits until it corrects; false (with the log) when it does not.
    bool startPlovik(std::chrono::milliseconds timeout = std::chrono::seconds(15));
    // Starts Plovik without waiting for anything.
    void launchPlovik();
    // Another copy with the same folders and environment, its output in `logName` below
    // home(); the caller owns (and so stops) it.
    ChildProcess launchAnotherPlovik(const std::vector<std::string>& arguments,
                                     const std::string& logName);
    void stopPlovik();
    ChildProcess* plovik() { return plovik_ ? &*plovik_ : nullptr; }
    // Plovik's standard error so far.
    std::string log() const;
    // Waits until the log holds `text` `count` times.
    bool waitForLog(const std::string& text, std::chrono::milliseconds timeout,
                    int count = 1) const;
    static int occurrences(const std::string& haystack, const std::string& needle);

    // The user presses the keys that type `text` with the layout of `group` in mind,
    // whatever group is locked, `interval` apart.
    void typeKeys(const std::string& text, std::uint32_t group = 0,
                  std::chrono::milliseconds interval = std::chrono::milliseconds(0));
    // The user types the text with the layout of `group` in mind as a person does: in
    // bursts, keys rolled over, Shift around capitals (see Typist). Returns when the last
    // key is up.
    void typeLikeAPerson(const std::string& text, std::uint32_t group, std::uint32_t seed,
                         Typist::Rhythm rhythm = {});
    // What the keys that type `text` with the layout of `meant` in mind type while `locked`
    // is the selected layout; a line break stays.
    std::string keysTyped(const std::string& text, std::uint32_t meant, std::uint32_t locked);
    // One key by X key code, with modifiers held.
    void pressKey(std::uint32_t keycode, std::uint32_t modifiers = 0);
    // Holds a key down for `duration`, long enough for the server to repeat it.
    void holdKey(std::uint32_t keycode, std::chrono::milliseconds duration);
    void lockGroup(std::uint32_t group);
    // The user moves the pointer to a point of the screen and clicks the left button.
    void click(int x, int y);
    // Asks the window manager to bring the process's window to the front; false when
    // the process has no managed window.
    bool activateWindowOf(pid_t processIdentifier);
    std::uint32_t lockedGroup();
    // Waits until `group` is locked; false when it is not within the time.
    bool waitForGroup(std::uint32_t group, std::chrono::milliseconds timeout);
    const std::filesystem::path& home() const { return home_; }

  private:
    ChildProcessOptions plovikOptions(const std::string& logName);

    const VirtualSession& session_;
    Options options_;
    std::filesystem::path home_;
    std::unique_ptr<X11Connection> connection_;
    // The display the user's keys are sent to, when it is not the session's own.
    std::unique_ptr<X11Connection> keyboardConnection_;
    std::unique_ptr<X11KeyboardState> keyboard_;
    X11ExpectedKeys userKeys_;
    std::unique_ptr<XTestKeyTyper> user_;
    std::optional<ChildProcess> plovik_;
};

}  // namespace plovik
