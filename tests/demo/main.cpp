// Plovik on a desktop of its own: a private X11 session with US and Russian layouts,
// the GTK fixture window, and `plovik --headless`; a user types "ghbdtn vbh" and Return
// into the window's entry with the US layout selected, and the entry's text is shown.
#include <chrono>
#include <filesystem>
#include <iostream>
#include <string>

#include "platform/virtualsession/VirtualSession.h"
#include "tests/support/rehearsal/DesktopRehearsal.h"
#include "tests/support/rehearsal/FixtureLines.h"

namespace {

using namespace std::chrono_literals;

constexpr int kToolMissing = 77;

}  // namespace

int main() {
    using namespace plovik;
    // build/tests/demo/plovik-desktop-demo
    const auto build =
        std::filesystem::canonical("/proc/self/exe").parent_path().parent_path().parent_path();
    try {
        VirtualSession session;
        DesktopRehearsal::Options options;
        options.plovik = build / "app" / "plovik";
        options.applications.push_back(
            DesktopRehearsal::enabled("org.plovik.FixtureGtk", "Plovik GTK fixture"));
        DesktopRehearsal rehearsal(session, options);
        auto window = session.launch((build / "tests" / "fixtures" / "plovik-fixture-gtk").string(),
                                     {}, true);
        FixtureLines fixture(window);
        if (!fixture.waitFor("ready", 15s)) {
            std::cerr << "plovik-desktop-demo: the GTK window did not come up\n";
            return 1;
        }
        if (!rehearsal.startPlovik()) {
            std::cerr << "plovik-desktop-demo: Plovik did not start:\n" << rehearsal.log();
            return 1;
        }
        // Focus moves once after Plovik starts, as it does when the user clicks into the field.
        fixture.send("focus multi");
        fixture.waitFor("focused multi", 3s);
        fixture.send("focus single");
        fixture.waitFor("focused single", 3s);
        std::cout << "Plovik on a private X11 desktop (" << session.display()
                  << "): typing \"ghbdtn vbh\" and Return into a GTK 3 entry with the US layout "
                     "selected\n";
        rehearsal.typeKeys("ghbdtn vbh\n", 0, 120ms);
        rehearsal.waitForLog("vbh → ", 5s);
        fixture.waitFor("activate", 3s);
        const auto field = fixture.text("single");
        std::cout << "Field: " << field.value_or("(no answer)") << "\n"
                  << "Plovik's log:\n"
                  << rehearsal.log();
        return field == "привет мир" ? 0 : 1;
    } catch (const VirtualSessionError& error) {
        std::cerr << "plovik-desktop-demo: " << error.what() << "\n";
        return error.toolMissing() ? kToolMissing : 1;
    } catch (const std::exception& error) {
        std::cerr << "plovik-desktop-demo: " << error.what() << "\n";
        return 1;
    }
}
