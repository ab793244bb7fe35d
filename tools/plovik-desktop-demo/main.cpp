// Plovik on a desktop of its own: a private X11 session with US and Russian layouts,
// the GTK fixture window, and `plovik --headless`; a user types "ghbdtn vbh" and Return
// into the window's entry with the US layout selected, and the entry's text is shown.
#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <iostream>
#include <string>

#include "app/rehearsal/DesktopRehearsal.h"
#include "platform/headless/HeadlessSession.h"

namespace {

using namespace std::chrono_literals;

constexpr int kToolMissing = 77;

// The fixture window's line protocol: "get single" is answered by "single TEXT".
class FixtureLines {
  public:
    explicit FixtureLines(plovik::ChildProcess& process) : process_(process) {}

    std::optional<std::string> waitFor(const std::string& prefix, std::chrono::milliseconds timeout) {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (true) {
            for (auto end = pending_.find('\n'); end != std::string::npos;
                 end = pending_.find('\n')) {
                std::string line = pending_.substr(0, end);
                pending_.erase(0, end + 1);
                if (line.starts_with(prefix)) {
                    return line;
                }
            }
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            pollfd request{process_.standardOutput(), POLLIN, 0};
            if (left.count() <= 0 || ::poll(&request, 1, static_cast<int>(left.count())) <= 0) {
                return std::nullopt;
            }
            char chunk[4096];
            const ssize_t count = ::read(process_.standardOutput(), chunk, sizeof chunk);
            if (count <= 0) {
                return std::nullopt;
            }
            pending_.append(chunk, static_cast<std::size_t>(count));
        }
    }
    void send(const std::string& line) {
        const std::string whole = line + "\n";
        [[maybe_unused]] auto written = ::write(process_.standardInput(), whole.data(), whole.size());
    }

  private:
    plovik::ChildProcess& process_;
    std::string pending_;
};

}  // namespace

int main() {
    using namespace plovik;
    const auto build = std::filesystem::canonical("/proc/self/exe").parent_path().parent_path();
    try {
        HeadlessSession session;
        DesktopRehearsal::Options options;
        options.plovik = build / "app" / "plovik";
        options.applications.push_back(
            DesktopRehearsal::enabled("org.plovik.FixtureGtk", "Plovik GTK fixture"));
        DesktopRehearsal rehearsal(session, options);
        auto window =
            session.launch((build / "tests" / "fixtures" / "plovik-fixture-gtk").string(), {}, true);
        FixtureLines fixture(window);
        if (!fixture.waitFor("ready", 15s)) {
            std::cerr << "plovik-desktop-demo: the GTK window did not come up\n";
            return 1;
        }
        if (!rehearsal.startPlovik()) {
            std::cerr << "plovik-desktop-demo: Plovik did not start:\n" << rehearsal.log();
            return 1;
        }
        std::cout << "Plovik on a private X11 desktop (" << session.display()
                  << "): typing \"ghbdtn vbh\" and Return into a GTK 3 entry with the US layout "
                     "selected\n";
        rehearsal.typeKeys("ghbdtn vbh\n", 0, 30ms);
        rehearsal.waitForLog("vbh → ", 5s);
        fixture.waitFor("activate", 3s);
        fixture.send("get single");
        const auto field = fixture.waitFor("single ", 3s);
        std::cout << "Field: " << (field ? field->substr(7) : "(no answer)") << "\n"
                  << "Plovik's log:\n"
                  << rehearsal.log();
        return field && field->substr(7) == "привет мир" ? 0 : 1;
    } catch (const HeadlessSessionError& error) {
        std::cerr << "plovik-desktop-demo: " << error.what() << "\n";
        return error.toolMissing() ? kToolMissing : 1;
    } catch (const std::exception& error) {
        std::cerr << "plovik-desktop-demo: " << error.what() << "\n";
        return 1;
    }
}
