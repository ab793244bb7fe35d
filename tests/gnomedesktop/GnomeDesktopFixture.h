#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "desktop/FixtureWindow.h"
#include "tests/support/rehearsal/DesktopRehearsal.h"
#include "tests/support/rehearsal/GnomeRehearsal.h"

namespace plovik::testing {

using namespace std::chrono_literals;

// How a fixture window reaches GNOME: as a Wayland client (GTK 3 or GTK 4), or as an X11
// client through Xwayland with GTK's IBus module.
enum class GnomeClient { gtk3, gtk4, gtk3X11 };

inline std::string clientName(GnomeClient client) {
    switch (client) {
        case GnomeClient::gtk3:
            return "Gtk3Wayland";
        case GnomeClient::gtk4:
            return "Gtk4Wayland";
        case GnomeClient::gtk3X11:
            return "Gtk3X11";
    }
    return "";
}

inline std::string clientProgram(GnomeClient client) {
    return client == GnomeClient::gtk4 ? PLOVIK_BUILD_DIR "/tests/fixtures/plovik-fixture-gtk4"
                                       : PLOVIK_BUILD_DIR "/tests/fixtures/plovik-fixture-gtk";
}

// The desktop-entry id GNOME gives the window of each fixture.
inline std::string clientApplicationId(GnomeClient client) {
    return client == GnomeClient::gtk4 ? "org.plovik.FixtureGtk4" : "org.plovik.FixtureGtk";
}

// `plovik --headless` on a private GNOME Wayland session with Plovik's US and Russian
// input sources and a fixture window, typed at through Mutter's virtual keyboard.
class GnomeDesktopTest : public ::testing::Test {
  protected:
    static constexpr const char* kEngine = PLOVIK_BUILD_DIR "/framework/ibus/plovik-ibus-engine";

    void start(const std::vector<EnabledApplication>& applications, GnomeClient client,
               std::function<void(AppSettings&)> adjustSettings = {}, bool withPlovik = true) {
        for (const auto* program : {kEngine, PLOVIK_BUILD_DIR "/app/plovik"}) {
            if (::access(program, X_OK) != 0) {
                GTEST_SKIP() << program << " is not built";
            }
        }
        if (::access(clientProgram(client).c_str(), X_OK) != 0) {
            GTEST_SKIP() << clientProgram(client) << " is not built";
        }
        GnomeRehearsal::Options options;
        options.plovik = PLOVIK_BUILD_DIR "/app/plovik";
        options.componentDirectory = PLOVIK_BUILD_DIR "/framework/ibus/component";
        options.extension = PLOVIK_BUILD_DIR "/framework/gnome-shell/43/plovik@plovik.github.io";
        options.applications = applications;
        options.adjustSettings = std::move(adjustSettings);
        options.inputSources = inputSources_;
        options.settings = settings_;
        // Test programs share two cores: the engine waits longer for Plovik's answer
        // about a key than a user's idle machine needs.
        options.environment = {"PLOVIK_IBUS_ANSWER_MS=" + std::to_string(answerBudget_.count())};
        try {
            rehearsal_ = std::make_unique<GnomeRehearsal>(options);
        } catch (const VirtualSessionError& error) {
            if (error.toolMissing()) {
                GTEST_SKIP() << "GNOME Shell cannot run here: " << error.what();
            }
            FAIL() << error.what();
        }
        window_ = std::make_unique<FixtureWindow>(
            client == GnomeClient::gtk3X11 ? rehearsal_->launchX11(clientProgram(client))
                                           : rehearsal_->launchWayland(clientProgram(client)));
        ASSERT_TRUE(window_->waitUntilReady()) << rehearsal_->session().logTail();
        // A test that starts Plovik later focuses the field itself.
        if (!withPlovik) {
            return;
        }
        ASSERT_TRUE(rehearsal_->startPlovik()) << rehearsal_->log();
        ASSERT_TRUE(window_->focus(FixtureWindow::Field::single))
            << rehearsal_->session().logTail();
        std::this_thread::sleep_for(300ms);
    }

    void TearDown() override {
        window_.reset();
        rehearsal_.reset();
    }

    FixtureWindow& window() { return *window_; }
    RemoteDesktopKeyboard& keyboard() { return rehearsal_->keyboard(); }

    void type(const std::string& text, std::chrono::milliseconds interval = 20ms) {
        ASSERT_TRUE(keyboard().type(text, interval)) << "no key types \"" << text << "\"";
    }

    // Waits until the field holds `expected`; returns what it holds at the end.
    std::string waitForText(FixtureWindow::Field field, const std::string& expected,
                            std::chrono::milliseconds timeout = 5s) {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        std::string last;
        while (std::chrono::steady_clock::now() < deadline) {
            last = window().text(field).value_or("(no answer)");
            if (last == expected) {
                return last;
            }
            std::this_thread::sleep_for(10ms);
        }
        return last;
    }

    // Lets the 35 ms correction delay and the edits pass, then reads the field.
    std::string settledText(FixtureWindow::Field field) {
        std::this_thread::sleep_for(500ms);
        return window().text(field).value_or("(no answer)");
    }

    bool waitForSource(const std::string& id, std::chrono::milliseconds timeout = 3s) {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (std::chrono::steady_clock::now() < deadline) {
            const auto current = rehearsal_->currentSource();
            if (current && current->second == id) {
                return true;
            }
            std::this_thread::sleep_for(20ms);
        }
        return false;
    }

    int corrections() const { return DesktopRehearsal::occurrences(rehearsal_->log(), " → "); }

    std::chrono::milliseconds answerBudget_{25};
    std::string inputSources_ = "[('ibus', 'plovik-us'), ('ibus', 'plovik-ru')]";
    // The user took up the offer to free Alt+Space from the window menu.
    std::vector<std::vector<std::string>> settings_{
        {"org.gnome.desktop.wm.keybindings", "activate-window-menu", "[]"}};
    std::unique_ptr<GnomeRehearsal> rehearsal_;
    std::unique_ptr<FixtureWindow> window_;
};

}  // namespace plovik::testing
