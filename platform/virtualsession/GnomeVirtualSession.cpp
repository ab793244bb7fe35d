#include "platform/virtualsession/GnomeVirtualSession.h"

#include <fcntl.h>
#include <gio/gio.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <array>
#include <fstream>
#include <iterator>
#include <regex>
#include <thread>

#include "platform/virtualsession/Pipe.h"
#include "platform/virtualsession/ProcFile.h"

extern char** environ;

namespace plovik {

namespace {

constexpr auto kPoll = std::chrono::milliseconds(50);
constexpr gint kCallTimeout = 2000;
constexpr auto kOverviewTimeout = std::chrono::seconds(10);

// Variables that would point the session's programs at the caller's desktop or input
// method.
constexpr std::array kReplaced{
    "DISPLAY",
    "WAYLAND_DISPLAY",
    "DBUS_SESSION_BUS_ADDRESS",
    "DBUS_SYSTEM_BUS_ADDRESS",
    "AT_SPI_BUS_ADDRESS",
    "XAUTHORITY",
    "XDG_RUNTIME_DIR",
    "XDG_SESSION_TYPE",
    "XDG_CURRENT_DESKTOP",
    "QT_QPA_PLATFORM",
    "NO_AT_BRIDGE",
    "GSETTINGS_BACKEND",
    "HOME",
    "XDG_CONFIG_HOME",
    "XDG_DATA_HOME",
    "XDG_CACHE_HOME",
    "GTK_IM_MODULE",
    "QT_IM_MODULE",
    "XMODIFIERS",
    "IBUS_ADDRESS",
    "IBUS_COMPONENT_PATH",
    "GDK_BACKEND",
    "PLOVIK_VIRTUAL_SESSION",
};

bool isReplaced(const std::string& entry) {
    for (const char* name : kReplaced) {
        if (entry.starts_with(std::string(name) + "=")) {
            return true;
        }
    }
    return false;
}

bool waitUntil(const std::function<bool()>& ready, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!ready()) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(kPoll);
    }
    return true;
}

// Replaces or adds NAME=value entries.
void overlay(std::vector<std::string>& environment, const std::vector<std::string>& extra) {
    for (const auto& entry : extra) {
        const auto name = entry.substr(0, entry.find('=') + 1);
        std::erase_if(environment, [&](const std::string& old) { return old.starts_with(name); });
        environment.push_back(entry);
    }
}

GVariant* callSync(const BusConnection& bus, const char* destination, const char* path,
                   const char* interface, const char* method, GVariant* parameters,
                   const char* replyType) {
    return g_dbus_connection_call_sync(bus.get(), destination, path, interface, method, parameters,
                                       replyType ? G_VARIANT_TYPE(replyType) : nullptr,
                                       G_DBUS_CALL_FLAGS_NO_AUTO_START, kCallTimeout, nullptr,
                                       nullptr);
}

}  // namespace

GnomeVirtualSession::GnomeVirtualSession(const GnomeVirtualSessionOptions& options) {
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

GnomeVirtualSession::~GnomeVirtualSession() {
    stop();
}

void GnomeVirtualSession::start(const GnomeVirtualSessionOptions& options) {
    std::string pattern = (std::filesystem::temp_directory_path() / "plovik-gnome-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) {
        throw VirtualSessionError("cannot create a session folder in " + pattern, false);
    }
    directory_ = pattern;
    runtime_ = directory_ / "runtime";
    home_ = directory_ / "home";
    std::filesystem::create_directories(runtime_ / "system");
    std::filesystem::create_directories(home_);
    std::filesystem::permissions(runtime_, std::filesystem::perms::owner_all);

    for (char** entry = environ; *entry; ++entry) {
        if (!isReplaced(*entry)) {
            environment_.emplace_back(*entry);
        }
    }
    overlay(environment_,
            {"XDG_RUNTIME_DIR=" + runtime_.string(), "HOME=" + home_.string(),
             "XDG_CONFIG_HOME=" + (home_ / ".config").string(),
             "XDG_DATA_HOME=" + (home_ / ".local" / "share").string(),
             "XDG_CACHE_HOME=" + (home_ / ".cache").string(), "XDG_SESSION_TYPE=wayland",
             "XDG_CURRENT_DESKTOP=GNOME",
             "IBUS_COMPONENT_PATH=/usr/share/ibus/component" +
                 (options.componentDirectory.empty() ? "" : ":" + options.componentDirectory)});
    if (std::none_of(environment_.begin(), environment_.end(),
                     [](const std::string& entry) { return entry.starts_with("LANG="); })) {
        environment_.push_back("LANG=C.UTF-8");
    }
    overlay(environment_, options.environment);

    std::vector<std::string> missing;
    for (const char* program : {kShellProgram, "dbus-daemon", "gsettings"}) {
        if (!findProgram(program, environment_)) {
            missing.emplace_back(program);
        }
    }
    if (!missing.empty()) {
        std::string list;
        for (const auto& program : missing) {
            list += (list.empty() ? "" : ", ") + program;
        }
        throw VirtualSessionError("not installed: " + list, true);
    }

    busAddress_ = startBus(runtime_, "session bus", options.partTimeout);
    environment_.push_back("DBUS_SESSION_BUS_ADDRESS=" + busAddress_);
    // GNOME Shell asks the login manager on the system bus; a private one answers it.
    environment_.push_back("DBUS_SYSTEM_BUS_ADDRESS=" +
                           startBus(runtime_ / "system", "system bus", options.partTimeout));
    bus_ = BusConnection::open(busAddress_);
    if (!bus_) {
        fail("cannot connect to the session bus at " + busAddress_);
    }
    if (options.extension) {
        const auto installed = home_ / ".local" / "share" / "gnome-shell" / "extensions" /
                               options.extension->filename();
        std::filesystem::create_directories(installed.parent_path());
        std::filesystem::copy(*options.extension, installed,
                              std::filesystem::copy_options::recursive);
        if (!setSetting("org.gnome.shell", "enabled-extensions",
                        "['" + options.extension->filename().string() + "']")) {
            fail("cannot enable the extension");
        }
    }
    if (!setSetting("org.gnome.desktop.input-sources", "sources", options.inputSources)) {
        fail("cannot set the input sources");
    }
    for (const auto& setting : options.settings) {
        if (setting.size() != 3 || !setSetting(setting[0], setting[1], setting[2])) {
            fail("cannot write a setting");
        }
    }
    startShell(options);
    waitForExtension(options);
    hideOverview();
}

std::string GnomeVirtualSession::startBus(const std::filesystem::path& folder,
                                          const std::string& name,
                                          std::chrono::milliseconds timeout) {
    const Pipe address;
    const int childDescriptor = 3;
    ChildProcessOptions processOptions;
    processOptions.environment = environment_;
    processOptions.passedDescriptors = {{address.end(1), childDescriptor}};
    processOptions.logFile = (directory_ / "session.log").string();
    try {
        parts_.emplace_back(
            "dbus-daemon",
            std::vector<std::string>{"--session", "--nofork", "--nopidfile",
                                     "--address=unix:dir=" + folder.string(), "--print-address=3"},
            processOptions);
    } catch (const std::system_error& error) {
        fail(std::string("cannot start the ") + name + ": " + error.what());
    }
    const auto line = readLine(address.end(0), timeout);
    if (!line || line->empty()) {
        fail("the " + name + " did not report its address");
    }
    return *line;
}

void GnomeVirtualSession::startShell(const GnomeVirtualSessionOptions& options) {
    ChildProcessOptions processOptions;
    processOptions.environment = environment_;
    processOptions.logFile = (directory_ / "shell.log").string();
    std::vector<std::string> arguments{"--headless", "--wayland", "--virtual-monitor", "1280x800"};
    if (!options.xwayland) {
        arguments.emplace_back("--no-x11");
    }
    try {
        parts_.emplace_back(kShellProgram, arguments, processOptions);
    } catch (const std::system_error& error) {
        fail(std::string("cannot start GNOME Shell: ") + error.what());
    }
    ChildProcess& shell = parts_.back();
    // The name is owned long before the Shell is ready; its version answers once the
    // interface is up.
    const bool ready = waitUntil(
        [&] {
            if (!shell.isRunning()) {
                return true;
            }
            GVariant* version = callSync(
                *bus_, "org.gnome.Shell", "/org/gnome/Shell", "org.freedesktop.DBus.Properties",
                "Get", g_variant_new("(ss)", "org.gnome.Shell", "ShellVersion"), "(v)");
            if (!version) {
                return false;
            }
            g_variant_unref(version);
            return std::filesystem::exists(runtime_ / "wayland-0");
        },
        options.partTimeout);
    if (!shell.isRunning()) {
        fail("GNOME Shell stopped while starting");
    }
    if (!ready) {
        fail("GNOME Shell did not come up");
    }
}

void GnomeVirtualSession::waitForExtension(const GnomeVirtualSessionOptions& options) {
    if (!options.extension) {
        return;
    }
    const bool listsIbus = options.inputSources.find("'ibus'") != std::string::npos;
    // The Shell lists IBus sources only once IBus is up.
    const bool ready = waitUntil(
        [&] {
            GVariant* reply = callSync(*bus_, kExtensionBusName, "/io/github/plovik/Shell",
                                       kExtensionBusName, "ListSources", nullptr, "(a(ss))");
            if (!reply) {
                return false;
            }
            gchar* printed = g_variant_print(reply, FALSE);
            const bool found =
                !listsIbus || std::string(printed).find("'ibus'") != std::string::npos;
            g_free(printed);
            g_variant_unref(reply);
            return found;
        },
        options.partTimeout);
    if (!ready) {
        fail("Plovik's Shell extension did not list the input sources");
    }
}

bool GnomeVirtualSession::overviewActive() const {
    GVariant* reply =
        callSync(*bus_, "org.gnome.Shell", "/org/gnome/Shell", "org.freedesktop.DBus.Properties",
                 "Get", g_variant_new("(ss)", "org.gnome.Shell", "OverviewActive"), "(v)");
    if (!reply) {
        return false;
    }
    GVariant* value = nullptr;
    g_variant_get(reply, "(v)", &value);
    const bool active =
        g_variant_is_of_type(value, G_VARIANT_TYPE_BOOLEAN) && g_variant_get_boolean(value);
    g_variant_unref(value);
    g_variant_unref(reply);
    return active;
}

void GnomeVirtualSession::hideOverview() {
    // GNOME Shell opens its overview at start; typing would go to its search, and no
    // window gets the focus. A request to close it while it is still opening is lost, so
    // it is asked again until the overview is closed.
    const auto deadline = std::chrono::steady_clock::now() + kOverviewTimeout;
    do {
        GVariant* reply = callSync(*bus_, "org.gnome.Shell", "/org/gnome/Shell",
                                   "org.freedesktop.DBus.Properties", "Set",
                                   g_variant_new("(ssv)", "org.gnome.Shell", "OverviewActive",
                                                 g_variant_new_boolean(FALSE)),
                                   nullptr);
        if (reply) {
            g_variant_unref(reply);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(250));
        if (!overviewActive()) {
            return;
        }
    } while (std::chrono::steady_clock::now() < deadline);
}

bool GnomeVirtualSession::setSetting(const std::string& schema, const std::string& key,
                                     const std::string& value) const {
    ChildProcessOptions processOptions;
    processOptions.environment = environment_;
    processOptions.logFile = (directory_ / "session.log").string();
    ChildProcess gsettings("gsettings", {"set", schema, key, value}, processOptions);
    return gsettings.waitForExit(std::chrono::seconds(10)) == 0;
}

std::optional<std::string> GnomeVirtualSession::setting(const std::string& schema,
                                                        const std::string& key) const {
    ChildProcessOptions processOptions;
    processOptions.environment = environment_;
    processOptions.pipeStandardOutput = true;
    ChildProcess gsettings("gsettings", {"get", schema, key}, processOptions);
    std::string output;
    while (const auto line = readLine(gsettings.standardOutput(), std::chrono::seconds(10))) {
        output += *line;
    }
    return gsettings.waitForExit(std::chrono::seconds(10)) == 0 ? std::optional(output)
                                                                : std::nullopt;
}

std::optional<std::string> GnomeVirtualSession::x11Display() const {
    std::ifstream log(directory_ / "shell.log");
    const std::string text{std::istreambuf_iterator<char>(log), {}};
    std::smatch match;
    if (std::regex_search(text, match, std::regex("Using public X11 display (:[0-9]+)"))) {
        return match[1].str();
    }
    return std::nullopt;
}

std::optional<std::string> GnomeVirtualSession::xauthority() const {
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(runtime_, error)) {
        if (entry.path().filename().string().starts_with(".mutter-Xwaylandauth.")) {
            return entry.path().string();
        }
    }
    return std::nullopt;
}

std::vector<std::string> GnomeVirtualSession::x11Environment() const {
    std::vector<std::string> environment = environment_;
    overlay(environment, {"DISPLAY=" + x11Display().value_or(":0"),
                          "XAUTHORITY=" + xauthority().value_or(""), "GDK_BACKEND=x11"});
    return environment;
}

ChildProcess GnomeVirtualSession::launch(const std::string& program,
                                         const std::vector<std::string>& arguments,
                                         bool pipeStandardStreams,
                                         const std::vector<std::string>& extra) const {
    ChildProcessOptions processOptions;
    processOptions.environment = environment_;
    overlay(processOptions.environment, extra);
    processOptions.pipeStandardInput = pipeStandardStreams;
    processOptions.pipeStandardOutput = pipeStandardStreams;
    return ChildProcess(program, arguments, processOptions);
}

std::vector<pid_t> GnomeVirtualSession::processIds() const {
    std::vector<pid_t> ids;
    if (runtime_.empty()) {
        return ids;
    }
    const std::string marker = "XDG_RUNTIME_DIR=" + runtime_.string();
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/proc", error)) {
        const std::string name = entry.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos) {
            continue;
        }
        const auto environment = ProcFile::read(entry.path() / "environ");
        if (!environment) {
            continue;
        }
        std::size_t at = 0;
        while (at < environment->size()) {
            const auto end = environment->find('\0', at);
            if (environment->compare(at, end - at, marker) == 0) {
                ids.push_back(static_cast<pid_t>(std::stol(name)));
                break;
            }
            at = end == std::string::npos ? environment->size() : end + 1;
        }
    }
    return ids;
}

void GnomeVirtualSession::stopLeftovers() {
    // Programs GNOME and the buses started live on in groups of their own; they carry the
    // session's runtime folder, which nothing else has.
    for (int round = 0; round < 2; ++round) {
        const auto left = processIds();
        if (left.empty()) {
            return;
        }
        for (const pid_t pid : left) {
            if (pid != ::getpid()) {
                ::kill(pid, round == 0 ? SIGTERM : SIGKILL);
            }
        }
        waitUntil([this] { return processIds().empty(); }, std::chrono::milliseconds(1500));
    }
}

void GnomeVirtualSession::stop() {
    // The Shell first, then what it left, then the buses.
    while (parts_.size() > 2) {
        parts_.back().stop();
        parts_.pop_back();
    }
    stopLeftovers();
    while (!parts_.empty()) {
        parts_.back().stop();
        parts_.pop_back();
    }
    bus_.reset();
    if (!directory_.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(directory_, ignored);
        directory_.clear();
        runtime_.clear();
    }
}

std::string GnomeVirtualSession::logTail() const {
    std::string result;
    for (const char* name : {"session.log", "shell.log"}) {
        std::ifstream file(directory_ / name);
        const std::string log{std::istreambuf_iterator<char>(file), {}};
        constexpr std::size_t kTail = 3000;
        if (!log.empty()) {
            result += std::string("\n--- ") + name + " ---\n" +
                      (log.size() > kTail ? log.substr(log.size() - kTail) : log);
        }
    }
    return result;
}

void GnomeVirtualSession::fail(const std::string& message) const {
    throw VirtualSessionError(message + logTail(), false);
}

}  // namespace plovik
