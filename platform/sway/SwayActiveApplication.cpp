#include "platform/sway/SwayActiveApplication.h"

#include <glib-unix.h>

#include <nlohmann/json.hpp>

#include "platform/linux/DesktopUrlOpener.h"

namespace plovik {

namespace {

using Json = nlohmann::json;

std::optional<std::string> stringAt(const Json& node, const char* key) {
    const auto found = node.find(key);
    if (found == node.end() || !found->is_string() || found->get<std::string>().empty()) {
        return std::nullopt;
    }
    return found->get<std::string>();
}

// Depth first over the windows and containers below `node`, floating ones included.
template <typename Visit>
const Json* findNode(const Json& node, const Visit& matches, int depth = 0) {
    if (!node.is_object() || depth > 64) {
        return nullptr;
    }
    if (matches(node)) {
        return &node;
    }
    for (const char* children : {"nodes", "floating_nodes"}) {
        const auto found = node.find(children);
        if (found == node.end() || !found->is_array()) {
            continue;
        }
        for (const auto& child : *found) {
            if (const Json* hit = findNode(child, matches, depth + 1)) {
                return hit;
            }
        }
    }
    return nullptr;
}

bool isWindow(const Json& node) {
    const auto pid = node.find("pid");
    return pid != node.end() && pid->is_number_integer() && pid->get<std::int64_t>() > 0;
}

}  // namespace

std::unique_ptr<SwayActiveApplication> SwayActiveApplication::connect(const std::string& socketPath,
                                                                      DesktopEntryCatalog catalog) {
    auto requests = SwayIpcConnection::open(socketPath);
    auto events = SwayIpcConnection::open(socketPath);
    if (!requests || !events) {
        return nullptr;
    }
    const auto subscribed = events->request(SwayIpcConnection::kSubscribe, R"(["window"])");
    if (!subscribed || subscribed->find("true") == std::string::npos) {
        return nullptr;
    }
    return std::unique_ptr<SwayActiveApplication>(
        new SwayActiveApplication(std::move(*requests), std::move(*events), std::move(catalog)));
}

SwayActiveApplication::SwayActiveApplication(SwayIpcConnection requests, SwayIpcConnection events,
                                             DesktopEntryCatalog catalog)
    : requests_(std::move(requests)), events_(std::move(events)), catalog_(std::move(catalog)) {
    if (const auto current = tree()) {
        if (const auto window = focusedWindow(*current, catalog_)) {
            frontmost_ = window->application(catalog_);
        }
    }
    activations_.startFrom(frontmost_);
    watch_ = g_unix_fd_add(events_.descriptor(), static_cast<GIOCondition>(G_IO_IN | G_IO_HUP),
                           &SwayActiveApplication::onEvents, this);
}

SwayActiveApplication::~SwayActiveApplication() {
    if (watch_ != 0) {
        g_source_remove(watch_);
    }
}

std::optional<nlohmann::json> SwayActiveApplication::tree() const {
    const auto reply = requests_.request(SwayIpcConnection::kGetTree, "");
    if (!reply) {
        return std::nullopt;
    }
    auto parsed = Json::parse(*reply, nullptr, false);
    if (parsed.is_discarded()) {
        return std::nullopt;
    }
    return parsed;
}

WindowIdentity SwayActiveApplication::identityOf(const nlohmann::json& node,
                                                 const DesktopEntryCatalog& catalog) {
    WindowIdentity identity;
    if (const auto pid = node.find("pid"); pid != node.end() && pid->is_number_integer()) {
        identity.pid = static_cast<pid_t>(pid->get<std::int64_t>());
        identity.executable = WindowIdentity::executableOf(*identity.pid);
    }
    if (const auto appId = stringAt(node, "app_id")) {
        // A reverse-DNS app_id is the desktop-entry id; a plain one may be a class.
        if (catalog.byId(*appId) || appId->find('.') != std::string::npos) {
            identity.gtkApplicationId = appId;
        }
        identity.wmClass = appId;
        identity.wmInstance = appId;
    } else if (const auto properties = node.find("window_properties");
               properties != node.end() && properties->is_object()) {
        identity.wmClass = stringAt(*properties, "class");
        identity.wmInstance = stringAt(*properties, "instance");
    }
    return identity;
}

std::optional<WindowIdentity> SwayActiveApplication::focusedWindow(
    const nlohmann::json& tree, const DesktopEntryCatalog& catalog) {
    const Json* node = findNode(tree, [](const Json& candidate) {
        return isWindow(candidate) && candidate.value("focused", false);
    });
    if (!node) {
        return std::nullopt;
    }
    return identityOf(*node, catalog);
}

std::optional<WindowIdentity> SwayActiveApplication::windowOf(const nlohmann::json& tree,
                                                              std::int32_t pid,
                                                              const DesktopEntryCatalog& catalog) {
    const Json* node = findNode(tree, [pid](const Json& candidate) {
        return isWindow(candidate) && candidate["pid"].get<std::int64_t>() == pid;
    });
    if (!node) {
        return std::nullopt;
    }
    return identityOf(*node, catalog);
}

std::optional<RunningApplication> SwayActiveApplication::frontmostApplication() const {
    return frontmost_;
}

std::optional<RunningApplication> SwayActiveApplication::runningApplication(
    std::int32_t processIdentifier) const {
    if (const auto current = tree()) {
        if (auto window = windowOf(*current, processIdentifier, catalog_)) {
            return window->application(catalog_);
        }
    }
    // A process without a window of its own.
    WindowIdentity identity;
    identity.pid = processIdentifier;
    identity.executable = WindowIdentity::executableOf(processIdentifier);
    if (!identity.executable) {
        return std::nullopt;
    }
    return identity.application(catalog_);
}

gboolean SwayActiveApplication::onEvents(gint, GIOCondition, gpointer workspace) {
    auto* self = static_cast<SwayActiveApplication*>(workspace);
    if (self->readEvents()) {
        return G_SOURCE_CONTINUE;
    }
    self->watch_ = 0;
    return G_SOURCE_REMOVE;
}

bool SwayActiveApplication::readEvents() {
    std::vector<SwayIpcConnection::Message> messages;
    const bool open = events_.readAvailable(messages);
    for (const auto& message : messages) {
        if (message.type != SwayIpcConnection::kWindowEvent) {
            continue;
        }
        const auto event = Json::parse(message.payload, nullptr, false);
        if (event.is_object() && event.value("change", "") == "focus" &&
            event.contains("container")) {
            focusChanged(event["container"]);
        }
    }
    return open;
}

void SwayActiveApplication::focusChanged(const nlohmann::json& container) {
    frontmost_ = identityOf(container, catalog_).application(catalog_);
    activations_.notifyIfChanged(frontmost_);
}

Subscription SwayActiveApplication::observeActivations(ActivationObserver observer) {
    return activations_.observe(std::move(observer));
}

bool SwayActiveApplication::openUrl(const std::string& url) {
    return DesktopUrlOpener::open(url);
}

}  // namespace plovik
