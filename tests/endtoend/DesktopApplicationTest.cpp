// Plovik as a user first meets it: started with no settings on a desktop with a tray,
// onboarding completed with the mouse, the fixture application enabled in the settings
// window opened from the tray menu, and a word typed in the wrong layout there corrected.
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <variant>

#include "core/platform/Key.h"
#include "core/settings/SettingsStore.h"
#include "core/support/SystemClock.h"
#include "desktop/DesktopTestSupport.h"
#include "desktop/FixtureWindow.h"
#include "endtoend/AccessibleWidgets.h"
#include "platform/linux/FolderSettingsFiles.h"
#include "platform/x11/X11Connection.h"
#include "tests/support/rehearsal/DesktopRehearsal.h"

namespace plovik::testing {
namespace {

using namespace std::chrono_literals;
using Widget = AccessibleWidgets::Widget;

// Windows of two programs drawn on a crowded two-core machine can take their time.
constexpr auto kPatience = 45s;
constexpr const char* kFixtureId = "org.plovik.FixtureGtk";

std::optional<std::string> windowClass(const X11Connection& connection, xcb_window_t window) {
    xcb_connection_t* c = connection.get();
    xcb::Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
        c, xcb_get_property(c, 0, window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 0, 256), nullptr));
    if (!reply || xcb_get_property_value_length(reply.get()) <= 0) {
        return std::nullopt;
    }
    const std::string value(static_cast<const char*>(xcb_get_property_value(reply.get())),
                            static_cast<std::size_t>(xcb_get_property_value_length(reply.get())));
    // "instance\0class\0": the class.
    const auto end = value.find('\0');
    return end == std::string::npos ? value : std::string(value.c_str() + end + 1);
}

// The screen centre of a window of class `className` embedded below a window of class
// `hostClass`, as a tray host holds the icons it shows.
std::optional<std::pair<int, int>> embeddedWindowCentre(const X11Connection& connection,
                                                        xcb_window_t window,
                                                        const std::string& hostClass,
                                                        const std::string& className,
                                                        bool insideHost = false) {
    xcb_connection_t* c = connection.get();
    const auto ownClass = windowClass(connection, window);
    insideHost = insideHost || ownClass == hostClass;
    if (insideHost && ownClass == className) {
        xcb::Reply<xcb_get_geometry_reply_t> geometry(
            xcb_get_geometry_reply(c, xcb_get_geometry(c, window), nullptr));
        xcb::Reply<xcb_translate_coordinates_reply_t> origin(xcb_translate_coordinates_reply(
            c, xcb_translate_coordinates(c, window, connection.root(), 0, 0), nullptr));
        if (geometry && origin && geometry->width > 1) {
            return std::pair{origin->dst_x + geometry->width / 2,
                             origin->dst_y + geometry->height / 2};
        }
    }
    xcb::Reply<xcb_query_tree_reply_t> tree(
        xcb_query_tree_reply(c, xcb_query_tree(c, window), nullptr));
    if (!tree) {
        return std::nullopt;
    }
    const auto* children = xcb_query_tree_children(tree.get());
    for (int index = 0; index < xcb_query_tree_children_length(tree.get()); ++index) {
        if (auto found = embeddedWindowCentre(connection, children[index], hostClass, className,
                                              insideHost)) {
            return found;
        }
    }
    return std::nullopt;
}

// Plovik shows a popup menu: an override-redirect window of its own, too tall for a
// tooltip (Qt marks its menus' windows no differently from others).
bool showsPopupMenu(const X11Connection& connection) {
    xcb_connection_t* c = connection.get();
    xcb::Reply<xcb_query_tree_reply_t> tree(
        xcb_query_tree_reply(c, xcb_query_tree(c, connection.root()), nullptr));
    if (!tree) {
        return false;
    }
    const auto* windows = xcb_query_tree_children(tree.get());
    for (int index = 0; index < xcb_query_tree_children_length(tree.get()); ++index) {
        xcb::Reply<xcb_get_window_attributes_reply_t> attributes(xcb_get_window_attributes_reply(
            c, xcb_get_window_attributes(c, windows[index]), nullptr));
        if (!attributes || attributes->map_state != XCB_MAP_STATE_VIEWABLE ||
            !attributes->override_redirect || windowClass(connection, windows[index]) != "Plovik") {
            continue;
        }
        xcb::Reply<xcb_get_geometry_reply_t> geometry(
            xcb_get_geometry_reply(c, xcb_get_geometry(c, windows[index]), nullptr));
        if (geometry && geometry->height >= 100) {
            return true;
        }
    }
    return false;
}

std::uint32_t keyCode(Key key) {
    return static_cast<std::uint32_t>(key) + 8;
}

class DesktopApplicationTest : public ::testing::Test {
  protected:
    // Clicks the widget once it shows; false (with what does show) when it does not.
    ::testing::AssertionResult click(const std::string& role, const std::string& name) {
        const auto widget = widgets_->waitFor(role, name, kPatience);
        if (!widget) {
            return ::testing::AssertionFailure() << "no " << role << " '" << name << "' among:\n"
                                                 << widgets_->describe() << rehearsal_->log();
        }
        rehearsal_->click(widget->centreX(), widget->centreY());
        return ::testing::AssertionSuccess();
    }

    ::testing::AssertionResult shows(const std::string& role, const std::string& name) {
        if (widgets_->waitFor(role, name, kPatience)) {
            return ::testing::AssertionSuccess();
        }
        return ::testing::AssertionFailure() << "no " << role << " '" << name << "' among:\n"
                                             << widgets_->describe() << rehearsal_->log();
    }

    // What Plovik has stored, read as the next start would read it.
    AppSettings storedSettings() const {
        FolderSettingsFiles defaults(rehearsal_->home() / "config" / "plovik");
        SystemClock clock;
        SettingsStore store(defaults, SettingsStore::kStandardStorageKey, clock,
                            text::LocalizedComparison("en_US"));
        return store.settings();
    }

    bool fixtureEnabled() const {
        for (const auto& application : storedSettings().applications) {
            if (application.bundleIdentifier == kFixtureId) {
                return application.isEnabled && application.automaticCorrectionEnabled;
            }
        }
        return false;
    }

    std::optional<DesktopRehearsal> rehearsal_;
    std::optional<AccessibleWidgets> widgets_;
};

TEST_F(DesktopApplicationTest, OnboardingThenAnApplicationEnabledInSettingsIsCorrected) {
    if (!fixtureBuilt(Toolkit::gtk)) {
        GTEST_SKIP() << "the GTK fixture is not built";
    }
    VirtualSessionOptions sessionOptions;
    sessionOptions.trayHost = true;
    PLOVIK_START_SESSION_OR_SKIP(session, sessionOptions);
    session->exportToThisProcess();
    ASSERT_TRUE(AccessibleWidgets::connect());

    DesktopRehearsal::Options options;
    options.plovik = PLOVIK_BUILD_DIR "/app/plovik";
    options.arguments = {};
    options.writeSettings = false;
    // The fixture's desktop entry names its program, which must be found to be listed.
    const char* path = std::getenv("PATH");
    options.environment = {
        "PLOVIK_GRAB_ANSWER_MS=25",
        std::string("PATH=" PLOVIK_BUILD_DIR "/tests/fixtures:") + (path ? path : "/usr/bin:/bin")};
    rehearsal_.emplace(*session, options);
    rehearsal_->launchPlovik();
    widgets_.emplace(rehearsal_->plovik()->pid());

    // A new installation opens onboarding (Qt names a plain top-level widget a filler);
    // on this desktop both permissions are there.
    ASSERT_TRUE(shows("filler", "Welcome to Plovik"));
    ASSERT_TRUE(click("push button", "Continue"));
    ASSERT_TRUE(shows("label", "Two desktop permissions are required"));
    EXPECT_TRUE(AccessibleWidgets::waitUntil(
        [&] { return widgets_->count("label", "Granted") == 2; }, kPatience))
        << widgets_->describe();
    ASSERT_TRUE(click("push button", "Continue"));
    ASSERT_TRUE(shows("label", "Choose where Plovik works"));
    ASSERT_TRUE(click("push button", "Start Plovik"));
    ASSERT_TRUE(AccessibleWidgets::waitUntil(
        [&] { return !widgets_->find("filler", "Welcome to Plovik"); }, kPatience));
    ASSERT_TRUE(AccessibleWidgets::waitUntil(
        [&] { return storedSettings().hasCompletedOnboarding; }, kPatience));

    // The tray icon's menu opens the settings window.
    auto opened = X11Connection::open(session->display().c_str());
    ASSERT_TRUE(std::holds_alternative<std::unique_ptr<X11Connection>>(opened));
    const auto& connection = *std::get<std::unique_ptr<X11Connection>>(opened);
    std::optional<std::pair<int, int>> icon;
    ASSERT_TRUE(AccessibleWidgets::waitUntil(
        [&] {
            return (icon = embeddedWindowCentre(connection, connection.root(), "trayer", "Plovik"))
                .has_value();
        },
        kPatience))
        << "the tray host shows no Plovik icon";
    rehearsal_->click(icon->first, icon->second);
    // Qt keeps its popup menus out of the accessible tree: the menu is found as a window,
    // and "Settings…" reached from the bottom, above "Quit Plovik".
    ASSERT_TRUE(AccessibleWidgets::waitUntil([&] { return showsPopupMenu(connection); }, kPatience))
        << "the tray icon opened no menu";
    rehearsal_->pressKey(keyCode(Key::up));
    rehearsal_->pressKey(keyCode(Key::up));
    rehearsal_->pressKey(keyCode(Key::enter));
    ASSERT_TRUE(shows("page tab", "Applications"));

    // Applications tab: the fixture added from the installed applications.
    ASSERT_TRUE(click("page tab", "Applications"));
    ASSERT_TRUE(click("push button", "Add an installed application"));
    ASSERT_TRUE(shows("dialog", "Add an installed application"));
    ASSERT_TRUE(click("text", "Search"));
    rehearsal_->typeKeys("GTK Fixture", 0, 20ms);
    ASSERT_TRUE(click("list item", "GTK Fixture"));
    ASSERT_TRUE(click("push button", "Add"));
    ASSERT_TRUE(AccessibleWidgets::waitUntil([&] { return fixtureEnabled(); }, kPatience))
        << rehearsal_->log();

    // Typed in the fixture with the US layout on, meant in Russian.
    FixtureWindow fixture(*session, Toolkit::gtk);
    ASSERT_TRUE(fixture.waitUntilReady(kPatience));
    // The user clicks into the field: AT-SPI reports focus changes, not where it already is.
    ASSERT_TRUE(fixture.focus(FixtureWindow::Field::multi));
    ASSERT_TRUE(fixture.focus(FixtureWindow::Field::single));
    rehearsal_->lockGroup(0);
    rehearsal_->typeKeys("ghbdtn ", 0, 20ms);
    std::string text;
    AccessibleWidgets::waitUntil(
        [&] {
            text = fixture.text(FixtureWindow::Field::single).value_or("(no answer)");
            return text == "привет ";
        },
        kPatience);
    EXPECT_EQ(text, "привет ") << rehearsal_->log();
}

}  // namespace
}  // namespace plovik::testing
