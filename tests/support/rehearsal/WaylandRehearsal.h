#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/platform/Key.h"
#include "core/platform/Modifiers.h"
#include "core/settings/AppSettings.h"
#include "core/settings/EnabledApplication.h"
#include "platform/virtualsession/ChildProcess.h"
#include "platform/virtualsession/WaylandSession.h"
#include "tests/support/rehearsal/Typist.h"

namespace plovik {

// `plovik --headless` at work on a private Wayland session through Fcitx5, driven as a user
// would: its own settings and history folders, and a keyboard of its own that the compositor
// treats like any other. For the end-to-end tests and the measurements.
class WaylandRehearsal {
  public:
    struct Options {
        std::vector<EnabledApplication> applications;
        std::filesystem::path plovik;
        // Changes to the stored settings before Plovik starts.
        std::function<void(AppSettings&)> adjustSettings;
        // Extra environment for Plovik, as "NAME=value".
        std::vector<std::string> environment;
        std::vector<std::string> arguments{"--headless"};
        std::filesystem::path keyboardProgram;
    };

    // Throws std::runtime_error when the keyboard does not come up.
    WaylandRehearsal(const WaylandSession& session, Options options);
    ~WaylandRehearsal();
    WaylandRehearsal(const WaylandRehearsal&) = delete;
    WaylandRehearsal& operator=(const WaylandRehearsal&) = delete;

    // Starts Plovik and waits until it corrects; false (with the log) when it does not.
    bool startPlovik(std::chrono::milliseconds timeout = std::chrono::seconds(15));
    void launchPlovik();
    void stopPlovik();
    ChildProcess* plovik() { return plovik_ ? &*plovik_ : nullptr; }
    std::string log() const;
    bool waitForLog(const std::string& text, std::chrono::milliseconds timeout,
                    int count = 1) const;

    // The user types ASCII `text` with the US keys, `interval` apart; false when the
    // keyboard did not manage.
    bool typeKeys(const std::string& text,
                  std::chrono::milliseconds interval = std::chrono::milliseconds(0));
    bool pressKey(Key key, Modifiers modifiers = {});
    // The user types ASCII `text` (a line feed is Return) as a person does, in the rhythm
    // of a Typist with `seed`: 5-60 ms apart, keys rolled over, Shift around capitals.
    // False when the keyboard did not manage.
    bool typeLikeAPerson(const std::string& text, std::uint32_t seed);
    bool holdKey(Key key, std::chrono::milliseconds duration);
    // Fcitx5's active input method ("keyboard-ru"); absent when it does not say.
    std::optional<std::string> inputMethod() const;
    bool waitForInputMethod(const std::string& name, std::chrono::milliseconds timeout) const;
    const std::filesystem::path& home() const { return home_; }

  private:
    void writeSettings();
    bool command(const std::string& line, std::chrono::milliseconds timeout);
    // The keyboard's answer to `line`; absent when it gave none in time.
    std::optional<std::string> ask(const std::string& line, std::chrono::milliseconds timeout);
    // The key and Shift level that type an ASCII character, as the keyboard finds them.
    std::optional<Typist::Stroke> strokeOf(char character);

    const WaylandSession& session_;
    Options options_;
    std::filesystem::path home_;
    ChildProcess keyboard_;
    std::string keyboardOutput_;
    std::optional<ChildProcess> plovik_;
};

}  // namespace plovik
