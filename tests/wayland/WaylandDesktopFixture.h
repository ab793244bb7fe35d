#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "desktop/FixtureWindow.h"
#include "platform/virtualsession/WaylandSession.h"
#include "tests/support/rehearsal/DesktopRehearsal.h"
#include "tests/support/rehearsal/WaylandRehearsal.h"

namespace plovik::testing {

using namespace std::chrono_literals;

inline constexpr const char* kModuleFolder = PLOVIK_BUILD_DIR "/framework/fcitx5/addon";
inline constexpr const char* kModuleDataFolder = PLOVIK_BUILD_DIR "/framework/fcitx5/data";
inline constexpr const char* kKeyboardProgram =
    PLOVIK_BUILD_DIR "/tests/fixtures/plovik-virtual-keyboard";

// How a window's fields reach Fcitx5: GTK's own Wayland protocol (text-input-v3 through
// the compositor), or the Fcitx5 input modules of GTK and Qt (D-Bus).
enum class InputPath { gtkTextInput, gtkModule, qtModule };

inline std::string pathName(InputPath path) {
    switch (path) {
        case InputPath::gtkTextInput:
            return "GtkTextInput";
        case InputPath::gtkModule:
            return "GtkFcitxModule";
        case InputPath::qtModule:
            return "QtFcitxModule";
    }
    return "unknown";
}

inline Toolkit toolkitOf(InputPath path) {
    return path == InputPath::qtModule ? Toolkit::qt : Toolkit::gtk;
}

inline std::vector<std::string> environmentOf(InputPath path) {
    switch (path) {
        case InputPath::gtkTextInput:
            return {"GDK_BACKEND=wayland"};
        case InputPath::gtkModule:
            return {"GDK_BACKEND=wayland", "GTK_IM_MODULE=fcitx"};
        case InputPath::qtModule:
            return {"QT_QPA_PLATFORM=wayland", "QT_IM_MODULE=fcitx"};
    }
    return {};
}

inline std::string kGtkId() {
    return "org.plovik.FixtureGtk";
}

inline std::string applicationIdOf(InputPath path) {
    return toolkitOf(path) == Toolkit::gtk ? kGtkId() : "org.plovik.FixtureQt";
}

// `plovik --headless` on a private sway session through Fcitx5 and Plovik's module, with a
// fixture window, typed at by a virtual keyboard.
class WaylandDesktopTest : public ::testing::Test {
  protected:
    void start(InputPath path, const std::vector<EnabledApplication>& applications,
               std::function<void(AppSettings&)> adjustSettings = {}) {
        for (const char* built : {kModuleFolder, kKeyboardProgram}) {
            if (::access(built, F_OK) != 0) {
                GTEST_SKIP() << built
                             << " is not built (Fcitx5's or Wayland's development "
                                "files are missing)";
            }
        }
        if (!fixtureBuilt(toolkitOf(path))) {
            GTEST_SKIP() << "the " << toolkitName(toolkitOf(path)) << " fixture is not built";
        }
        WaylandSessionOptions options;
        options.moduleFolder = kModuleFolder;
        options.moduleDataFolder = kModuleDataFolder;
        // Test programs share two cores: the module waits longer for Plovik's answer than a
        // user's idle machine needs.
        options.fcitx5Environment = {"PLOVIK_FCITX5_ANSWER_MS=" +
                                     std::to_string(answerBudget_.count())};
        try {
            session_.emplace(options);
        } catch (const VirtualSessionError& error) {
            if (error.toolMissing()) {
                GTEST_SKIP() << "sway or Fcitx5 is not installed: " << error.what();
            }
            FAIL() << error.what();
        }
        WaylandRehearsal::Options rehearsal;
        rehearsal.plovik = PLOVIK_BUILD_DIR "/app/plovik";
        rehearsal.keyboardProgram = kKeyboardProgram;
        rehearsal.applications = applications;
        rehearsal.adjustSettings = std::move(adjustSettings);
        rehearsal_ = std::make_unique<WaylandRehearsal>(*session_, rehearsal);
        window_ = std::make_unique<FixtureWindow>(session_->launch(
            fixtureProgram(toolkitOf(path)), windowArguments_, environmentOf(path), true));
        ASSERT_TRUE(window_->waitUntilReady()) << session_->logTail();
        ASSERT_TRUE(window_->focus(FixtureWindow::Field::single)) << session_->logTail();
        ASSERT_TRUE(rehearsal_->startPlovik()) << rehearsal_->log() << session_->logTail();
    }

    void TearDown() override {
        rehearsal_.reset();
        window_.reset();
        session_.reset();
    }

    FixtureWindow& window() { return *window_; }

    // Waits until the field holds `expected`; returns what it holds at the end.
    std::string waitForText(FixtureWindow::Field field, const std::string& expected,
                            std::chrono::milliseconds timeout = 5s) {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        std::string last;
        while (std::chrono::steady_clock::now() < deadline) {
            last = window_->text(field).value_or("(no answer)");
            if (last == expected) {
                return last;
            }
            std::this_thread::sleep_for(10ms);
        }
        return last;
    }

    // Lets the correction delay and the edits pass, then reads the field.
    std::string settledText(FixtureWindow::Field field) {
        std::this_thread::sleep_for(400ms);
        return window_->text(field).value_or("(no answer)");
    }

    int corrections() const { return DesktopRehearsal::occurrences(rehearsal_->log(), " → "); }

    // Every typed word is in the field, in order, as typed or as corrected; nothing else.
    static ::testing::AssertionResult wordsAreTypedOrCorrected(
        const std::string& field, const std::vector<std::pair<std::string, std::string>>& words) {
        std::size_t at = 0;
        for (const auto& [typed, corrected] : words) {
            if (field.compare(at, typed.size() + 1, typed + " ") == 0) {
                at += typed.size() + 1;
            } else if (field.compare(at, corrected.size() + 1, corrected + " ") == 0) {
                at += corrected.size() + 1;
            } else {
                return ::testing::AssertionFailure()
                       << "\"" << field << "\" lost or changed \"" << typed << "\"";
            }
        }
        if (at != field.size()) {
            return ::testing::AssertionFailure() << "\"" << field << "\" has more";
        }
        return ::testing::AssertionSuccess();
    }

    std::chrono::milliseconds answerBudget_{25};
    // Flags of the fixture window, set before start().
    std::vector<std::string> windowArguments_;
    std::optional<WaylandSession> session_;
    std::unique_ptr<WaylandRehearsal> rehearsal_;
    std::unique_ptr<FixtureWindow> window_;
};

}  // namespace plovik::testing
