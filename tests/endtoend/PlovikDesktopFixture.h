#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "desktop/DesktopTestSupport.h"
#include "desktop/FixtureWindow.h"
#include "platform/x11/X11KeyboardState.h"
#include "tests/support/rehearsal/DesktopRehearsal.h"

namespace plovik::testing {

using namespace std::chrono_literals;

inline constexpr const char* kGtkId = "org.plovik.FixtureGtk";
inline constexpr const char* kQtId = "org.plovik.FixtureQt";

// X key codes of the keys the scenarios press.
inline constexpr std::uint32_t kSpaceKey = 65, kPKey = 33, kReturnKey = 36, kEndKey = 115,
                               kNKey = 57;

// `plovik --headless` on a private session with US and Russian layouts and fixture
// windows, typed at by a user through XTest.
class PlovikDesktopTest : public ::testing::Test {
  protected:
    // Starts the session, the windows and Plovik with these applications enabled.
    void start(const std::vector<EnabledApplication>& applications,
               const std::vector<Toolkit>& toolkits = {Toolkit::gtk},
               std::function<void(AppSettings&)> adjustSettings = {}) {
        for (const auto toolkit : toolkits) {
            if (!fixtureBuilt(toolkit)) {
                GTEST_SKIP() << "the " << toolkitName(toolkit) << " fixture is not built";
            }
        }
        try {
            session_.emplace(sessionOptions_);
        } catch (const VirtualSessionError& error) {
            if (error.toolMissing()) {
                GTEST_SKIP() << error.what();
            }
            FAIL() << error.what();
        }
        DesktopRehearsal::Options options;
        options.plovik = PLOVIK_BUILD_DIR "/app/plovik";
        options.layouts = layouts_;
        options.applications = applications;
        options.adjustSettings = std::move(adjustSettings);
        // Test programs share two cores: give the main thread more time to answer for a
        // grabbed key than a user's idle machine needs.
        options.environment.push_back("PLOVIK_GRAB_ANSWER_MS=" +
                                      std::to_string(grabAnswerBudget_.count()));
        rehearsal_ = std::make_unique<DesktopRehearsal>(*session_, options);
        for (const auto toolkit : toolkits) {
            windows_.push_back(std::make_unique<FixtureWindow>(*session_, toolkit));
            ASSERT_TRUE(windows_.back()->waitUntilReady()) << toolkitName(toolkit);
        }
        if (beforePlovikStarts_) {
            beforePlovikStarts_(rehearsal_->home());
        }
        ASSERT_TRUE(rehearsal_->startPlovik()) << rehearsal_->log();
        // Focus moves once after Plovik starts, as when the user clicks into the field:
        // AT-SPI reports focus changes, not where the focus already is.
        for (auto& window : windows_) {
            ASSERT_TRUE(window->focus(FixtureWindow::Field::multi));
            ASSERT_TRUE(window->focus(FixtureWindow::Field::single));
        }
        std::this_thread::sleep_for(200ms);
    }

    void TearDown() override {
        rehearsal_.reset();
        windows_.clear();
        session_.reset();
    }

    FixtureWindow& window(std::size_t index = 0) { return *windows_.at(index); }

    // Waits until the field holds `expected`; returns what it holds at the end.
    std::string waitForText(FixtureWindow& window, FixtureWindow::Field field,
                            const std::string& expected, std::chrono::milliseconds timeout = 5s) {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        std::string last;
        while (std::chrono::steady_clock::now() < deadline) {
            last = window.text(field).value_or("(no answer)");
            if (last == expected) {
                return last;
            }
            std::this_thread::sleep_for(10ms);
        }
        return last;
    }

    // Waits until the field's selection is `expected` (start, length); returns it at the end.
    std::optional<std::pair<int, int>> waitForSelection(FixtureWindow& window,
                                                        FixtureWindow::Field field,
                                                        std::pair<int, int> expected,
                                                        std::chrono::milliseconds timeout = 2s) {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        std::optional<std::pair<int, int>> last;
        while (std::chrono::steady_clock::now() < deadline) {
            last = window.selection(field);
            if (last == expected) {
                break;
            }
            std::this_thread::sleep_for(10ms);
        }
        return last;
    }

    // Lets the 35 ms correction delay and the edits pass, then reads the field.
    std::string settledText(FixtureWindow& window, FixtureWindow::Field field) {
        std::this_thread::sleep_for(400ms);
        return window.text(field).value_or("(no answer)");
    }

    // Every typed word is in the field, in order, as typed or as corrected; nothing else.
    static ::testing::AssertionResult wordsAreTypedOrCorrected(
        const std::string& field, const std::vector<std::pair<std::string, std::string>>& words) {
        std::string expected;
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

    int corrections() const { return DesktopRehearsal::occurrences(rehearsal_->log(), " → "); }

    // The session's XKB groups.
    std::string layouts_ = "us,ru";
    VirtualSessionOptions sessionOptions_;
    // How long Plovik's main thread may take to take up a grabbed key.
    std::chrono::milliseconds grabAnswerBudget_{25};
    // Prepares Plovik's home folder (its data, its settings) before it starts.
    std::function<void(const std::filesystem::path&)> beforePlovikStarts_;
    std::optional<VirtualSession> session_;
    std::unique_ptr<DesktopRehearsal> rehearsal_;
    std::vector<std::unique_ptr<FixtureWindow>> windows_;
};

}  // namespace plovik::testing
