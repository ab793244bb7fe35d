#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "apps/FocusedFieldReader.h"
#include "core/layouts/EnglishRussianLayoutMapper.h"
#include "core/replacement/ApplicationTraits.h"
#include "platform/virtualsession/VirtualSession.h"
#include "platform/x11/X11KeyboardState.h"
#include "support/ProgramRun.h"
#include "support/TemporaryDirectory.h"
#include "tests/support/rehearsal/DesktopRehearsal.h"

namespace plovik::testing {

using namespace std::chrono_literals;

// Lines of Russian a user types with the US layout selected, as a typist at a steady
// rhythm. Written for these tests.
inline const std::vector<std::string> kLines{"Мы видим старый дом за рекой",
                                             "кот спит на окне рядом с цветами"};
inline const std::string kLine = "утром мы пили горячий чай";
inline constexpr std::chrono::milliseconds kKeyInterval{130};
// X key codes of the keys the scenarios press besides text.
inline constexpr std::uint32_t kSpaceKey = 65, kTabKey = 23;

// How an application is started: its program, arguments and own environment entries.
struct ApplicationLaunch {
    std::string program;
    std::vector<std::string> arguments;
    std::vector<std::string> environment;
};

// A real Debian application on a private desktop with `plovik --headless` running, typed
// at through XTest as a user would. What the field holds at the end is compared with what
// the simulated application (`plovik-correct --app`) writes for the same keys.
class RealApplicationTest : public ::testing::Test {
  protected:
    using Launch = ApplicationLaunch;

    // Starts the session and Plovik with the application enabled (no layout switch, so
    // that every word is corrected), then the application; skipped when it is not
    // installed.
    void start(const std::string& desktopId, const Launch& launch) {
        if (!findProgram(launch.program, {"PATH=/usr/bin:/bin"})) {
            GTEST_SKIP() << launch.program << " is not installed (make test-apps installs it)";
        }
        try {
            session_.emplace();
        } catch (const VirtualSessionError& error) {
            if (error.toolMissing()) {
                GTEST_SKIP() << error.what();
            }
            FAIL() << error.what();
        }
        desktopId_ = desktopId;
        session_->exportToThisProcess();
        atspi_ = AtspiConnection::open(2000ms);
        ASSERT_TRUE(atspi_) << "the accessibility bus does not answer";
        DesktopRehearsal::Options options;
        options.plovik = PLOVIK_BUILD_DIR "/app/plovik";
        options.applications = {DesktopRehearsal::enabled(desktopId, desktopId, false)};
        // The window manager keeps Alt+Space for its window menu.
        options.adjustSettings = [](AppSettings& settings) {
            // The session has no sound card.
            settings.playCorrectionSound = false;
            settings.undoShortcut = ShortcutDefinition(
                Key::space, Modifier::control | Modifier::alt | Modifiers(Modifier::shift));
        };
        options.environment.push_back("PLOVIK_GRAB_ANSWER_MS=25");
        rehearsal_ = std::make_unique<DesktopRehearsal>(*session_, options);
        // Plovik first: it hears the application's focus events from the start.
        ASSERT_TRUE(rehearsal_->startPlovik()) << rehearsal_->log();
        ChildProcessOptions childOptions;
        childOptions.environment = launch.environment;
        childOptions.environment.push_back("HOME=" + (home_.path() / "home").string());
        childOptions.environment.push_back("XDG_CONFIG_HOME=" + (home_.path() / "config").string());
        childOptions.environment.push_back("XDG_DATA_HOME=" + (home_.path() / "data").string());
        childOptions.environment.push_back("XDG_STATE_HOME=" + (home_.path() / "state").string());
        childOptions.environment.push_back("XDG_CACHE_HOME=" + (home_.path() / "cache").string());
        for (const auto& entry : session_->environment()) {
            childOptions.environment.push_back(entry);
        }
        childOptions.logFile = (home_.path() / "application.log").string();
        std::filesystem::create_directories(home_.path() / "home");
        application_.emplace(*findProgram(launch.program, {"PATH=/usr/bin:/bin"}), launch.arguments,
                             childOptions);
    }

    void TearDown() override {
        application_.reset();
        rehearsal_.reset();
        atspi_.reset();
        session_.reset();
    }

    const std::filesystem::path& folder() const { return home_.path(); }
    pid_t applicationPid() const { return application_->pid(); }

    // Waits until `read` gives a value that `accepts`; returns the last value read.
    static std::optional<std::string> waitFor(
        const std::function<std::optional<std::string>()>& read,
        const std::function<bool(const std::string&)>& accepts, std::chrono::milliseconds timeout) {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        std::optional<std::string> last;
        while (std::chrono::steady_clock::now() < deadline) {
            last = read();
            if (last && accepts(*last)) {
                break;
            }
            std::this_thread::sleep_for(50ms);
        }
        return last;
    }

    // The text after the field's first `length` bytes once it has stopped changing.
    static std::string settledText(const std::function<std::optional<std::string>()>& read,
                                   std::size_t from = 0) {
        std::optional<std::string> last;
        for (int quiet = 0; quiet < 10;) {
            std::this_thread::sleep_for(100ms);
            const auto now = read();
            quiet = now == last ? quiet + 1 : 0;
            last = now;
        }
        return last ? last->substr(std::min(from, last->size())) : "(no answer)";
    }

    // The keys of Russian text on the US layout.
    static std::string usKeysOf(const std::string& russian) {
        return EnglishRussianLayoutMapper().convert(russian, KeyboardLayout::russian(),
                                                    KeyboardLayout::english());
    }

    // What the simulated application's field holds after the same keys; `applicationId`
    // decides how Plovik edits it.
    static std::string simulated(const std::string& keys, const std::string& applicationId = {}) {
        std::vector<std::string> arguments{"--app"};
        if (!applicationId.empty()) {
            arguments.insert(arguments.end(), {"--app-id", applicationId});
        }
        const auto run = runBuiltProgram("plovik-correct", arguments, keys);
        EXPECT_EQ(run.status, 0) << run.err;
        return run.out;
    }

    // The user types each line (with the US layout selected, Russian in mind) and ends
    // it with `end`; returns the keys as the US layout types them.
    std::string typeLines(const std::vector<std::string>& lines, const std::string& end) {
        std::string keys;
        for (const auto& line : lines) {
            rehearsal_->typeKeys(line + end, 1, keyInterval_);
            keys += usKeysOf(line) + end;
        }
        return keys;
    }

    // Types a word Plovik corrects, waits for the correction, then presses the undo
    // shortcut: the field's text ends with the typed word again.
    ::testing::AssertionResult undoRestoresTheTypedWord(
        const std::function<std::optional<std::string>()>& read) {
        rehearsal_->typeKeys("ghbdtn ", 0, keyInterval_);
        const auto corrected = waitFor(
            read, [](const std::string& text) { return text.ends_with("привет "); }, 5s);
        if (!corrected || !corrected->ends_with("привет ")) {
            return ::testing::AssertionFailure()
                   << "not corrected: " << corrected.value_or("(no answer)") << "\n"
                   << rehearsal_->log();
        }
        rehearsal_->pressKey(kSpaceKey, X11KeyboardState::kControlMask |
                                            X11KeyboardState::kAltMask |
                                            X11KeyboardState::kShiftMask);
        const auto undone = waitFor(
            read, [](const std::string& text) { return text.ends_with("ghbdtn "); }, 5s);
        if (!undone || !undone->ends_with("ghbdtn ")) {
            return ::testing::AssertionFailure()
                   << "not undone: " << undone.value_or("(no answer)") << "\n"
                   << rehearsal_->log();
        }
        return ::testing::AssertionSuccess();
    }

    int corrections() const { return DesktopRehearsal::occurrences(rehearsal_->log(), " → "); }

    // Where Plovik cannot correct, the Applications tab says why.
    ::testing::AssertionResult reasonIsShown() const {
        if (ApplicationTraits::limitation(desktopId_)) {
            return ::testing::AssertionSuccess();
        }
        return ::testing::AssertionFailure() << desktopId_ << " has no reason to show";
    }

    TemporaryDirectory home_;
    // The typist's steady rhythm.
    std::chrono::milliseconds keyInterval_ = kKeyInterval;
    std::string desktopId_;
    std::optional<VirtualSession> session_;
    std::unique_ptr<AtspiConnection> atspi_;
    std::unique_ptr<DesktopRehearsal> rehearsal_;
    std::optional<ChildProcess> application_;
};

}  // namespace plovik::testing
