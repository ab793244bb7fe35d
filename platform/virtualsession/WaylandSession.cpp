#include "platform/virtualsession/WaylandSession.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <fstream>
#include <iterator>
#include <system_error>
#include <thread>

#include "platform/sway/SwayIpcConnection.h"
#include "platform/virtualsession/Pipe.h"
#include "platform/virtualsession/SessionUser.h"

extern char** environ;

namespace plovik {
namespace {

// Where Fcitx5's own add-ons are installed (its Wayland frontend among them).
constexpr std::array kSystemAddonFolders{"/usr/lib/x86_64-linux-gnu/fcitx5",
                                         "/usr/lib/aarch64-linux-gnu/fcitx5", "/usr/lib64/fcitx5",
                                         "/usr/lib/fcitx5"};
constexpr const char* kModuleSocket = "plovik-fcitx5.socket";
constexpr auto kPollStep = std::chrono::milliseconds(20);

std::optional<std::string> systemAddonFolder() {
    for (const char* folder : kSystemAddonFolders) {
        if (std::filesystem::exists(std::filesystem::path(folder) / "libwaylandim.so")) {
            return std::string(folder);
        }
    }
    return std::nullopt;
}

std::optional<std::string> inherited(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::optional<std::string>(value) : std::nullopt;
}

bool answers(const std::filesystem::path& socketPath) {
    sockaddr_un address{};
    const std::string path = socketPath.string();
    if (path.size() >= sizeof(address.sun_path)) {
        return false;
    }
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    const int probe = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const bool connected =
        ::connect(probe, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0;
    ::close(probe);
    return connected;
}

// The session's environment with `extra` on top: an extra entry replaces the session's of
// the same name, since the first of a name is the one a program reads.
std::vector<std::string> merged(const std::vector<std::string>& session,
                                const std::vector<std::string>& extra) {
    std::vector<std::string> environment = extra;
    for (const auto& entry : session) {
        const auto name = entry.substr(0, entry.find('=') + 1);
        if (std::none_of(extra.begin(), extra.end(),
                         [&](const std::string& mine) { return mine.starts_with(name); })) {
            environment.push_back(entry);
        }
    }
    return environment;
}

template <typename Condition>
bool waitFor(const Condition& condition, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(kPollStep);
    }
    return true;
}

std::string profileOf(const std::vector<std::string>& inputMethods) {
    std::string profile = "[Groups/0]\nName=Default\nDefault Layout=us\nDefaultIM=" +
                          (inputMethods.empty() ? std::string() : inputMethods.front()) + "\n\n";
    for (std::size_t i = 0; i < inputMethods.size(); ++i) {
        profile +=
            "[Groups/0/Items/" + std::to_string(i) + "]\nName=" + inputMethods[i] + "\nLayout=\n\n";
    }
    return profile + "[GroupOrder]\n0=Default\n";
}

}  // namespace

WaylandSession::WaylandSession(const WaylandSessionOptions& options) {
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

WaylandSession::~WaylandSession() {
    stop();
}

void WaylandSession::restartInputMethod() {
    for (auto part = parts_.begin(); part != parts_.end(); ++part) {
        if (part->pid() == inputMethod_) {
            part->stop();
            parts_.erase(part);
            break;
        }
    }
    startInputMethod(options_);
}

void WaylandSession::start(const WaylandSessionOptions& options) {
    options_ = options;
    environment_.push_back("PATH=" + inherited("PATH").value_or("/usr/bin:/bin"));
    std::vector<std::string> missing;
    for (const char* program : {"sway", "dbus-daemon", "fcitx5"}) {
        if (!findProgram(program, environment_)) {
            missing.emplace_back(program);
        }
    }
    if (!systemAddonFolder() && findProgram("fcitx5", environment_)) {
        missing.emplace_back("fcitx5-frontend (its Wayland frontend)");
    }
    if (!missing.empty()) {
        std::string list;
        for (const auto& program : missing) {
            list += (list.empty() ? "" : ", ") + program;
        }
        throw VirtualSessionError("not installed: " + list, true);
    }
    const auto user = SessionUser::forThisProcess();
    if (user.problem) {
        throw VirtualSessionError(*user.problem, false);
    }
    credentials_ = user.credentials;
    prepareFolders(options);
    startBus(options);
    startCompositor(options);
    startInputMethod(options);
}

void WaylandSession::prepareFolders(const WaylandSessionOptions& options) {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "plovik-wayland-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) {
        throw VirtualSessionError("cannot create a session folder in " + pattern, false);
    }
    folder_ = pattern;
    giveToSessionUser(folder_);
    runtime_ = makeFolder("runtime");
    std::filesystem::permissions(runtime_, std::filesystem::perms::owner_all);
    const auto config = makeFolder("config");
    makeFolder("config/fcitx5");
    std::ofstream(config / "fcitx5" / "profile") << profileOf(options.inputMethods);
    giveToSessionUser(config / "fcitx5" / "profile");
    environment_.insert(
        environment_.end(),
        {"HOME=" + makeFolder("home").string(), "XDG_RUNTIME_DIR=" + runtime_.string(),
         "XDG_CONFIG_HOME=" + config.string(), "XDG_DATA_HOME=" + makeFolder("data").string(),
         "XDG_CACHE_HOME=" + makeFolder("cache").string(), "XDG_SESSION_TYPE=wayland",
         "LANG=C.UTF-8",
         // Settings written by programs of a throwaway session stay in it.
         "GSETTINGS_BACKEND=memory"});
}

std::filesystem::path WaylandSession::makeFolder(const std::string& name) const {
    const auto path = folder_ / name;
    std::filesystem::create_directories(path);
    giveToSessionUser(path);
    return path;
}

void WaylandSession::giveToSessionUser(const std::filesystem::path& path) const {
    if (credentials_ && std::filesystem::exists(path) &&
        ::chown(path.c_str(), credentials_->user, credentials_->group) != 0) {
        throw VirtualSessionError("cannot give " + path.string() + " to the session user", false);
    }
}

ChildProcess& WaylandSession::startPart(const std::string& program,
                                        const std::vector<std::string>& arguments,
                                        const std::vector<std::string>& extraEnvironment,
                                        std::vector<std::pair<int, int>> passedDescriptors) {
    ChildProcessOptions options;
    options.environment = merged(environment_, extraEnvironment);
    options.passedDescriptors = std::move(passedDescriptors);
    options.logFile = (folder_ / "session.log").string();
    options.credentials = credentials_;
    try {
        parts_.emplace_back(program, arguments, options);
    } catch (const std::system_error& error) {
        fail(std::string("cannot start ") + error.what());
    }
    return parts_.back();
}

void WaylandSession::startBus(const WaylandSessionOptions& options) {
    Pipe address;
    const int childDescriptor = 3;
    startPart("dbus-daemon",
              {"--session", "--nofork", "--nopidfile", "--address=unix:dir=" + runtime_.string(),
               "--print-address=" + std::to_string(childDescriptor)},
              {}, {{address.end(1), childDescriptor}});
    address.closeEnd(1);
    const auto line = readLine(address.end(0), options.partTimeout);
    if (!line || line->empty()) {
        fail("the session bus did not report its address");
    }
    environment_.push_back("DBUS_SESSION_BUS_ADDRESS=" + *line);
}

void WaylandSession::startCompositor(const WaylandSessionOptions& options) {
    const auto configuration = folder_ / "sway.conf";
    std::ofstream(configuration) << "output HEADLESS-1 resolution 1024x768\n"
                                    "default_border none\nfocus_follows_mouse no\n";
    const ChildProcess& sway =
        startPart("sway", {"-c", configuration.string()},
                  {"WLR_BACKENDS=headless", "WLR_LIBINPUT_NO_DEVICES=1", "WLR_RENDERER=pixman"});
    const uid_t user = credentials_ ? credentials_->user : ::geteuid();
    const auto ipc = runtime_ / ("sway-ipc." + std::to_string(user) + "." +
                                 std::to_string(sway.pid()) + ".sock");
    const bool ready = waitFor(
        [&] {
            auto connection = SwayIpcConnection::open(ipc.string());
            return connection &&
                   connection->request(SwayIpcConnection::kGetOutputs, "").has_value();
        },
        options.partTimeout);
    if (!ready) {
        fail("sway did not come up");
    }
    std::optional<std::string> display;
    for (const auto& entry : std::filesystem::directory_iterator(runtime_)) {
        const std::string name = entry.path().filename().string();
        if (name.starts_with("wayland-") && !name.ends_with(".lock")) {
            display = name;
        }
    }
    if (!display) {
        fail("sway made no Wayland socket");
    }
    environment_.push_back("WAYLAND_DISPLAY=" + *display);
    environment_.push_back("SWAYSOCK=" + ipc.string());
}

void WaylandSession::startInputMethod(const WaylandSessionOptions& options) {
    // A client asking for Fcitx5 before it owns its bus name must not have the bus start
    // a second one without this session's environment.
    const std::vector<std::string> names{"XDG_RUNTIME_DIR", "WAYLAND_DISPLAY", "XDG_CONFIG_HOME",
                                         "XDG_DATA_HOME"};
    ChildProcess update = launch("dbus-update-activation-environment", names);
    update.waitForExit(options.partTimeout);
    std::vector<std::string> extra = options.fcitx5Environment;
    std::string addons = *systemAddonFolder();
    std::string data = "/usr/local/share:/usr/share";
    if (options.moduleFolder && options.moduleDataFolder) {
        addons = options.moduleFolder->string() + ":" + addons;
        data = options.moduleDataFolder->string() + ":" + data;
    }
    extra.push_back("FCITX_ADDON_DIRS=" + addons);
    extra.push_back("XDG_DATA_DIRS=" + data);
    inputMethod_ = startPart("fcitx5", {"--disable=notificationitem,kimpanel"}, extra).pid();
    // Its module's socket answers once Fcitx5 has loaded every add-on.
    const bool ready =
        !options.moduleFolder
            ? true
            : waitFor([&] { return answers(runtime_ / kModuleSocket); }, options.partTimeout);
    if (!ready) {
        fail("Fcitx5 did not load Plovik's module");
    }
}

ChildProcess WaylandSession::launch(const std::string& program,
                                    const std::vector<std::string>& arguments,
                                    const std::vector<std::string>& extraEnvironment,
                                    bool pipeStandardStreams,
                                    std::optional<std::string> logFile) const {
    ChildProcessOptions options;
    options.environment = merged(environment_, extraEnvironment);
    options.pipeStandardInput = pipeStandardStreams;
    options.pipeStandardOutput = pipeStandardStreams;
    options.logFile = std::move(logFile);
    options.credentials = credentials_;
    return ChildProcess(program, arguments, options);
}

std::optional<std::string> WaylandSession::output(const std::string& program,
                                                  const std::vector<std::string>& arguments,
                                                  std::chrono::milliseconds timeout) const {
    ChildProcessOptions options;
    options.environment = environment_;
    options.pipeStandardOutput = true;
    options.credentials = credentials_;
    ChildProcess child(program, arguments, options);
    const auto status = child.waitForExit(timeout);
    if (!status || *status != 0) {
        return std::nullopt;
    }
    std::string text;
    char chunk[4096];
    ssize_t count = 0;
    while ((count = ::read(child.standardOutput(), chunk, sizeof chunk)) > 0) {
        text.append(chunk, static_cast<std::size_t>(count));
    }
    return text;
}

std::vector<pid_t> WaylandSession::processIds() const {
    std::vector<pid_t> ids;
    for (const auto& part : parts_) {
        ids.push_back(part.pid());
    }
    return ids;
}

void WaylandSession::fail(const std::string& message) const {
    throw VirtualSessionError(message + logTail(), false);
}

std::string WaylandSession::logTail() const {
    std::ifstream file(folder_ / "session.log");
    const std::string log{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    constexpr std::size_t kTail = 3000;
    if (log.empty()) {
        return {};
    }
    return "\n--- session log ---\n" + (log.size() > kTail ? log.substr(log.size() - kTail) : log);
}

void WaylandSession::stop() {
    while (!parts_.empty()) {
        parts_.back().stop();
        parts_.pop_back();
    }
    if (!folder_.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
        folder_.clear();
    }
}

}  // namespace plovik
