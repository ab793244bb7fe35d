#include "platform/virtualsession/VirtualSession.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <array>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <system_error>

#include "platform/virtualsession/BusConnection.h"
#include "platform/virtualsession/DisplayProbe.h"
#include "platform/virtualsession/Pipe.h"

extern char** environ;

namespace plovik {
namespace {

// Variables that would point the session's programs at the caller's desktop.
constexpr std::array kInheritedButReplaced{
    "DISPLAY",      "WAYLAND_DISPLAY",   "DBUS_SESSION_BUS_ADDRESS", "AT_SPI_BUS_ADDRESS",
    "XAUTHORITY",   "XDG_RUNTIME_DIR",   "XDG_SESSION_TYPE",         "QT_QPA_PLATFORM",
    "NO_AT_BRIDGE", "GSETTINGS_BACKEND", "PLOVIK_VIRTUAL_SESSION",
};

constexpr std::array kBusLauncherPaths{"/usr/libexec/at-spi-bus-launcher",
                                       "/usr/lib/at-spi2-core/at-spi-bus-launcher"};
constexpr std::array kRegistryPaths{"/usr/libexec/at-spi2-registryd",
                                    "/usr/lib/at-spi2-core/at-spi2-registryd"};

template <std::size_t N>
std::optional<std::string> firstExecutable(const std::array<const char*, N>& paths) {
    for (const char* path : paths) {
        if (::access(path, X_OK) == 0) {
            return std::string(path);
        }
    }
    return std::nullopt;
}

bool isReplaced(const std::string& entry) {
    for (const char* name : kInheritedButReplaced) {
        if (entry.starts_with(std::string(name) + "=")) {
            return true;
        }
    }
    return false;
}

}  // namespace

VirtualSession::VirtualSession(const VirtualSessionOptions& options) {
    const auto begin = std::chrono::steady_clock::now();
    try {
        start(options);
    } catch (...) {
        stop();
        throw;
    }
    startupDuration_ = std::chrono::duration_cast<std::chrono::microseconds>(
        std::chrono::steady_clock::now() - begin);
}

VirtualSession::~VirtualSession() {
    stop();
}

void VirtualSession::start(const VirtualSessionOptions& options) {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "plovik-session-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) {
        throw VirtualSessionError("cannot create a session folder in " + pattern, false);
    }
    directory_ = pattern;
    std::filesystem::create_directory(directory_ / "runtime");
    std::filesystem::permissions(directory_ / "runtime", std::filesystem::perms::owner_all);

    for (char** entry = environ; *entry; ++entry) {
        if (!isReplaced(*entry)) {
            environment_.emplace_back(*entry);
        }
    }
    environment_.push_back("XDG_RUNTIME_DIR=" + (directory_ / "runtime").string());
    environment_.push_back("XDG_SESSION_TYPE=x11");
    // Settings written by programs of a throwaway session must not reach the user's.
    environment_.push_back("GSETTINGS_BACKEND=memory");
    environment_.push_back("PLOVIK_VIRTUAL_SESSION=" + directory_.string());

    std::vector<std::string> missing;
    for (const char* program : {"Xvfb", "dbus-daemon", "openbox"}) {
        if (!findProgram(program, environment_)) {
            missing.emplace_back(program);
        }
    }
    if (options.keyboardDevice && !findProgram("Xephyr", environment_)) {
        missing.emplace_back("Xephyr");
    }
    if (!firstExecutable(kBusLauncherPaths) || !firstExecutable(kRegistryPaths)) {
        missing.emplace_back("at-spi2-core");
    }
    if (options.trayHost && !findProgram("trayer", environment_)) {
        missing.emplace_back("trayer");
    }
    if (options.notificationDaemon && !findProgram("dunst", environment_)) {
        missing.emplace_back("dunst");
    }
    if (!missing.empty()) {
        std::string list;
        for (const auto& program : missing) {
            list += (list.empty() ? "" : ", ") + program;
        }
        throw VirtualSessionError("not installed: " + list, true);
    }

    startDisplay(options);
    startBus(options);
    startWindowManager(options);
    startAccessibility(options);
    if (options.trayHost) {
        startTrayHost(options);
    }
    if (options.notificationDaemon) {
        startNotificationDaemon(options);
    }
}

ChildProcess& VirtualSession::startPart(const std::string& program,
                                        const std::vector<std::string>& arguments,
                                        std::vector<std::pair<int, int>> passedDescriptors) {
    ChildProcessOptions options;
    options.environment = environment_;
    options.passedDescriptors = std::move(passedDescriptors);
    options.logFile = (directory_ / "session.log").string();
    try {
        parts_.emplace_back(program, arguments, options);
    } catch (const std::system_error& error) {
        fail(std::string("cannot start ") + error.what());
    }
    return parts_.back();
}

std::string VirtualSession::startServer(const std::string& program,
                                        std::vector<std::string> arguments,
                                        const std::string& display,
                                        const VirtualSessionOptions& options) {
    VirtualDisplayOptions server;
    server.server = program;
    server.arguments = std::move(arguments);
    server.environment = environment_;
    if (!display.empty()) {
        server.environment.push_back("DISPLAY=" + display);
    }
    server.logFile = (directory_ / "session.log").string();
    server.timeout = options.partTimeout;
    try {
        displays_.emplace_back(server);
    } catch (const std::system_error& error) {
        fail(std::string("cannot start ") + error.what());
    } catch (const std::runtime_error& error) {
        fail(error.what());
    }
    return displays_.back().name();
}

void VirtualSession::startDisplay(const VirtualSessionOptions& options) {
    display_ = startServer("Xvfb", {"-screen", "0", options.screen}, {}, options);
    if (options.keyboardDevice) {
        keyboardDisplay_ = display_;
        // Xephyr's window is the only one there, and takes the keys sent to that server.
        const auto size = options.screen.substr(0, options.screen.rfind('x'));
        display_ =
            startServer("Xephyr", {"-screen", size, "-no-host-grab"}, keyboardDisplay_, options);
        const auto host = DisplayProbe::connect(keyboardDisplay_);
        if (!host ||
            !DisplayProbe::waitFor([&] { return host->focusOnlyWindow(); }, options.partTimeout)) {
            fail("the keyboard's window did not come up on " + keyboardDisplay_);
        }
    }
    environment_.push_back("DISPLAY=" + display_);
}

void VirtualSession::startBus(const VirtualSessionOptions& options) {
    Pipe address;
    const int childDescriptor = 3;
    startPart("dbus-daemon",
              {"--session", "--nofork", "--nopidfile",
               "--address=unix:dir=" + (directory_ / "runtime").string(),
               "--print-address=" + std::to_string(childDescriptor)},
              {{address.end(1), childDescriptor}});
    const auto line = readLine(address.end(0), options.partTimeout);
    if (!line || line->empty()) {
        fail("the session bus did not report its address");
    }
    busAddress_ = *line;
    environment_.push_back("DBUS_SESSION_BUS_ADDRESS=" + busAddress_);
}

void VirtualSession::startWindowManager(const VirtualSessionOptions& options) {
    startPart("openbox", {"--sm-disable"});
    const auto probe = DisplayProbe::connect(display_);
    if (!probe ||
        !DisplayProbe::waitFor([&] { return probe->hasWindowManager(); }, options.partTimeout)) {
        fail("the window manager did not come up on " + display_);
    }
}

void VirtualSession::startAccessibility(const VirtualSessionOptions& options) {
    const auto bus = BusConnection::open(busAddress_);
    if (!bus) {
        fail("cannot connect to the session bus at " + busAddress_);
    }
    startPart(*firstExecutable(kBusLauncherPaths), {"--launch-immediately", "--a11y=1"});
    // Asking org.a11y.Bus anything before it has an owner would start a second launcher.
    if (!bus->waitForName("org.a11y.Bus", options.partTimeout)) {
        fail("the accessibility bus launcher did not come up");
    }
    const auto address = bus->accessibilityBusAddress();
    const auto accessibilityBus = address ? BusConnection::open(*address) : std::nullopt;
    if (!accessibilityBus) {
        fail("the accessibility bus does not answer");
    }
    startPart(*firstExecutable(kRegistryPaths), {});
    if (!accessibilityBus->waitForName("org.a11y.atspi.Registry", options.partTimeout)) {
        fail("the accessibility registry did not come up");
    }
    // Qt reads this once when it starts, so it must be on before any Qt window.
    if (!bus->setAccessibilityEnabled(true) || bus->accessibilityEnabled() != true) {
        fail("cannot switch accessibility on");
    }
}

void VirtualSession::startTrayHost(const VirtualSessionOptions& options) {
    startPart("trayer", {"--edge", "top", "--align", "right", "--widthtype", "request", "--height",
                         "24", "--SetDockType", "true", "--transparent", "false"});
    const auto probe = DisplayProbe::connect(display_);
    if (!probe ||
        !DisplayProbe::waitFor([&] { return probe->hasSelectionOwner("_NET_SYSTEM_TRAY_S0"); },
                               options.partTimeout)) {
        fail("the tray host did not come up");
    }
}

void VirtualSession::startNotificationDaemon(const VirtualSessionOptions& options) {
    // An empty file: dunst would read the user's configuration otherwise.
    const auto configuration = directory_ / "dunstrc";
    std::ofstream{configuration};
    startPart("dunst", {"-config", configuration.string()});
    const auto bus = BusConnection::open(busAddress_);
    if (!bus || !bus->waitForName("org.freedesktop.Notifications", options.partTimeout)) {
        fail("the notification daemon did not come up");
    }
}

void VirtualSession::fail(const std::string& message) const {
    throw VirtualSessionError(message + logTail(), false);
}

std::string VirtualSession::logTail() const {
    std::ifstream file(directory_ / "session.log");
    const std::string log{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    constexpr std::size_t kTail = 2000;
    if (log.empty()) {
        return {};
    }
    return "\n--- session log ---\n" + (log.size() > kTail ? log.substr(log.size() - kTail) : log);
}

void VirtualSession::exportToThisProcess() const {
    for (const char* name : kInheritedButReplaced) {
        ::unsetenv(name);
    }
    for (const auto& entry : environment_) {
        const auto equals = entry.find('=');
        const std::string name = entry.substr(0, equals);
        if (isReplaced(entry)) {
            ::setenv(name.c_str(), entry.substr(equals + 1).c_str(), 1);
        }
    }
}

std::vector<pid_t> VirtualSession::processIds() const {
    std::vector<pid_t> ids;
    for (const auto& display : displays_) {
        ids.push_back(display.process().pid());
    }
    for (const auto& part : parts_) {
        ids.push_back(part.pid());
    }
    return ids;
}

ChildProcess VirtualSession::launch(const std::string& program,
                                    const std::vector<std::string>& arguments,
                                    bool pipeStandardStreams) const {
    ChildProcessOptions options;
    options.environment = environment_;
    options.pipeStandardInput = pipeStandardStreams;
    options.pipeStandardOutput = pipeStandardStreams;
    return ChildProcess(program, arguments, options);
}

void VirtualSession::stop() {
    while (!parts_.empty()) {
        parts_.back().stop();
        parts_.pop_back();
    }
    while (!displays_.empty()) {
        displays_.back().process().stop();
        displays_.pop_back();
    }
    if (!directory_.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(directory_, ignored);
        directory_.clear();
    }
}

}  // namespace plovik
