#include "tests/support/rehearsal/GnomeRehearsal.h"

#include <gio/gio.h>

#include <fstream>
#include <iterator>
#include <stdexcept>
#include <thread>

#include "core/settings/SettingsStore.h"
#include "core/support/SystemClock.h"
#include "core/text/LocalizedComparison.h"
#include "platform/linux/FolderSettingsFiles.h"

namespace plovik {

namespace {

int occurrences(const std::string& haystack, const std::string& needle) {
    int count = 0;
    for (auto at = haystack.find(needle); at != std::string::npos;
         at = haystack.find(needle, at + needle.size())) {
        ++count;
    }
    return count;
}

GVariant* callExtension(const GnomeVirtualSession& session, const char* method,
                        GVariant* parameters, const char* replyType) {
    return g_dbus_connection_call_sync(session.bus().get(), GnomeVirtualSession::kExtensionBusName,
                                       "/io/github/plovik/Shell", "io.github.plovik.Shell", method,
                                       parameters, G_VARIANT_TYPE(replyType),
                                       G_DBUS_CALL_FLAGS_NO_AUTO_START, 2000, nullptr, nullptr);
}

}  // namespace

GnomeRehearsal::GnomeRehearsal(Options options) : options_(std::move(options)) {
    GnomeVirtualSessionOptions sessionOptions;
    sessionOptions.inputSources = options_.inputSources;
    sessionOptions.componentDirectory = options_.componentDirectory.string();
    sessionOptions.extension = options_.extension;
    sessionOptions.settings = options_.settings;
    sessionOptions.environment = options_.environment;
    session_ = std::make_unique<GnomeVirtualSession>(sessionOptions);
    auto keyboard = RemoteDesktopKeyboard::open(session_->bus());
    if (auto* error = std::get_if<std::string>(&keyboard)) {
        throw std::runtime_error(*error);
    }
    keyboard_ = std::move(std::get<0>(keyboard));
    if (!options_.writeSettings) {
        return;
    }
    FolderSettingsFiles defaults(session_->home() / ".config" / "plovik");
    SystemClock clock;
    SettingsStore settings(defaults, SettingsStore::kStandardStorageKey, clock,
                           text::LocalizedComparison("en_US"));
    for (const auto& application : options_.applications) {
        settings.addApplication(application);
    }
    settings.update([this](AppSettings& values) {
        values.hasCompletedOnboarding = true;
        if (options_.adjustSettings) {
            options_.adjustSettings(values);
        }
    });
}

GnomeRehearsal::~GnomeRehearsal() {
    stopPlovik();
    keyboard_.reset();
    session_.reset();
}

bool GnomeRehearsal::startPlovik(std::chrono::milliseconds timeout) {
    // The log is kept across restarts: this start's lines come on top of the last's.
    const std::string before = log();
    const int started = occurrences(before, "plovik: correcting on") + 1;
    const int granted = occurrences(before, "input monitoring granted") + 1;
    launchPlovik();
    return waitForLog("plovik: correcting on", timeout, started) &&
           waitForLog("input monitoring granted", timeout, granted);
}

void GnomeRehearsal::launchPlovik() {
    ChildProcessOptions processOptions;
    processOptions.environment = session_->environment();
    processOptions.environment.push_back("WAYLAND_DISPLAY=wayland-0");
    processOptions.logFile = (session_->home() / "plovik.log").string();
    plovik_.emplace(options_.plovik.string(), options_.arguments, processOptions);
}

void GnomeRehearsal::stopPlovik() {
    if (plovik_) {
        plovik_->stop();
        plovik_.reset();
    }
}

std::string GnomeRehearsal::log() const {
    std::ifstream file(session_->home() / "plovik.log");
    return file ? std::string(std::istreambuf_iterator<char>(file), {}) : std::string();
}

bool GnomeRehearsal::waitForLog(const std::string& text, std::chrono::milliseconds timeout,
                                int count) const {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (occurrences(log(), text) < count) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

ChildProcess GnomeRehearsal::launchWayland(const std::string& program,
                                           const std::vector<std::string>& extra) const {
    std::vector<std::string> environment{"WAYLAND_DISPLAY=wayland-0", "GDK_BACKEND=wayland"};
    environment.insert(environment.end(), extra.begin(), extra.end());
    return session_->launch(program, {}, true, environment);
}

ChildProcess GnomeRehearsal::launchX11(const std::string& program) const {
    // Xwayland starts when the first X11 client connects; its display is known then.
    auto environment = session_->x11Environment();
    environment.push_back("GTK_IM_MODULE=ibus");
    ChildProcessOptions processOptions;
    processOptions.environment = environment;
    processOptions.pipeStandardInput = true;
    processOptions.pipeStandardOutput = true;
    return ChildProcess(program, {}, processOptions);
}

std::optional<std::pair<std::string, std::string>> GnomeRehearsal::currentSource() const {
    GVariant* index = callExtension(*session_, "CurrentSource", nullptr, "(i)");
    GVariant* list = callExtension(*session_, "ListSources", nullptr, "(a(ss))");
    std::optional<std::pair<std::string, std::string>> result;
    if (index && list) {
        gint current = -1;
        g_variant_get(index, "(i)", &current);
        GVariant* sources = g_variant_get_child_value(list, 0);
        if (current >= 0 && static_cast<gsize>(current) < g_variant_n_children(sources)) {
            const gchar* type = nullptr;
            const gchar* id = nullptr;
            g_variant_get_child(sources, static_cast<gsize>(current), "(&s&s)", &type, &id);
            result = std::pair{std::string(type), std::string(id)};
        }
        g_variant_unref(sources);
    }
    if (index) {
        g_variant_unref(index);
    }
    if (list) {
        g_variant_unref(list);
    }
    return result;
}

bool GnomeRehearsal::activateSource(std::size_t index) const {
    GVariant* reply = callExtension(*session_, "ActivateSource",
                                    g_variant_new("(u)", static_cast<guint32>(index)), "(b)");
    gboolean done = FALSE;
    if (reply) {
        g_variant_get(reply, "(b)", &done);
        g_variant_unref(reply);
    }
    return done;
}

}  // namespace plovik
