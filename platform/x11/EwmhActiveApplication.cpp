#include "platform/x11/EwmhActiveApplication.h"

#include <glib-unix.h>

#include <cstring>

#include "platform/linux/DesktopUrlOpener.h"

namespace plovik {
namespace {

using xcb::owned;

constexpr std::uint32_t kLongPropertyLength = 4096;

}  // namespace

std::unique_ptr<EwmhActiveApplication> EwmhActiveApplication::connect(const std::string& display,
                                                                      DesktopEntryCatalog catalog) {
    xcb_connection_t* connection =
        xcb_connect(display.empty() ? nullptr : display.c_str(), nullptr);
    if (xcb_connection_has_error(connection)) {
        xcb_disconnect(connection);
        return nullptr;
    }
    return std::unique_ptr<EwmhActiveApplication>(
        new EwmhActiveApplication(connection, std::move(catalog)));
}

EwmhActiveApplication::EwmhActiveApplication(xcb_connection_t* connection,
                                             DesktopEntryCatalog catalog)
    : connection_(connection), catalog_(std::move(catalog)) {
    root_ = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    activeWindowAtom_ = atom("_NET_ACTIVE_WINDOW");
    gtkApplicationIdAtom_ = atom("_GTK_APPLICATION_ID");
    const std::uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_change_window_attributes(connection, root_, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(connection);
    attachToMainContext();
    watchActiveWindow();
    activations_.startFrom(frontmostApplication());
}

EwmhActiveApplication::~EwmhActiveApplication() {
    if (source_) {
        g_source_destroy(source_);
        g_source_unref(source_);
    }
}

// Replies to our own requests make xcb read (and queue) events without the descriptor
// becoming readable again, so the source looks at xcb's queue as well as the descriptor.
struct EwmhActiveApplication::EventSource {
    GSource source;
    EwmhActiveApplication* workspace;
    gpointer tag;

    static gboolean prepare(GSource* source, gint* timeout) {
        *timeout = -1;
        return reinterpret_cast<EventSource*>(source)->workspace->collectEvents(false);
    }
    // A hung-up connection stays readable without events: it is dispatched once, and left.
    static gboolean check(GSource* source) {
        auto* self = reinterpret_cast<EventSource*>(source);
        const bool events = self->workspace->collectEvents(true);
        return events || (g_source_query_unix_fd(source, self->tag) & (G_IO_HUP | G_IO_ERR)) != 0 ||
               xcb_connection_has_error(self->workspace->connection_.get()) != 0;
    }
    static gboolean dispatch(GSource* source, GSourceFunc, gpointer) {
        auto* self = reinterpret_cast<EventSource*>(source);
        self->workspace->dispatchPendingEvents();
        return xcb_connection_has_error(self->workspace->connection_.get()) != 0
                   ? G_SOURCE_REMOVE
                   : G_SOURCE_CONTINUE;
    }
};

void EwmhActiveApplication::attachToMainContext() {
    static GSourceFuncs functions{&EventSource::prepare,
                                  &EventSource::check,
                                  &EventSource::dispatch,
                                  nullptr,
                                  nullptr,
                                  nullptr};
    source_ = g_source_new(&functions, sizeof(EventSource));
    auto* self = reinterpret_cast<EventSource*>(source_);
    self->workspace = this;
    self->tag = g_source_add_unix_fd(source_, xcb_get_file_descriptor(connection_.get()), G_IO_IN);
    g_source_attach(source_, nullptr);
}

bool EwmhActiveApplication::collectEvents(bool read) {
    while (xcb_generic_event_t* event = read ? xcb_poll_for_event(connection_.get())
                                             : xcb_poll_for_queued_event(connection_.get())) {
        pending_.emplace_back(event);
    }
    return !pending_.empty();
}

xcb_atom_t EwmhActiveApplication::atom(const char* name) const {
    const auto reply = owned(xcb_intern_atom_reply(
        connection_.get(),
        xcb_intern_atom(connection_.get(), 0, static_cast<std::uint16_t>(std::strlen(name)), name),
        nullptr));
    return reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
}

std::optional<std::string> EwmhActiveApplication::stringProperty(xcb_window_t window,
                                                                 xcb_atom_t property) const {
    const auto reply = owned(
        xcb_get_property_reply(connection_.get(),
                               xcb_get_property(connection_.get(), 0, window, property,
                                                XCB_GET_PROPERTY_TYPE_ANY, 0, kLongPropertyLength),
                               nullptr));
    if (!reply || reply->type == XCB_ATOM_NONE || reply->format != 8) {
        return std::nullopt;
    }
    return std::string(static_cast<const char*>(xcb_get_property_value(reply.get())),
                       static_cast<std::size_t>(xcb_get_property_value_length(reply.get())));
}

std::vector<std::uint32_t> EwmhActiveApplication::cardinals(xcb_window_t window,
                                                            xcb_atom_t property,
                                                            xcb_atom_t type) const {
    const auto reply = owned(xcb_get_property_reply(
        connection_.get(),
        xcb_get_property(connection_.get(), 0, window, property, type, 0, kLongPropertyLength),
        nullptr));
    if (!reply || reply->format != 32) {
        return {};
    }
    const auto* values = static_cast<const std::uint32_t*>(xcb_get_property_value(reply.get()));
    return std::vector<std::uint32_t>(values,
                                      values + xcb_get_property_value_length(reply.get()) / 4);
}

std::optional<xcb_window_t> EwmhActiveApplication::activeWindow() const {
    const auto windows = cardinals(root_, activeWindowAtom_, XCB_ATOM_WINDOW);
    if (windows.empty() || windows.front() == XCB_WINDOW_NONE) {
        return std::nullopt;
    }
    return windows.front();
}

bool EwmhActiveApplication::hasWindowManager() const {
    const auto check = cardinals(root_, atom("_NET_SUPPORTING_WM_CHECK"), XCB_ATOM_WINDOW);
    return !check.empty() && check.front() != XCB_WINDOW_NONE;
}

WindowIdentity EwmhActiveApplication::identityOf(xcb_window_t window) const {
    WindowIdentity identity;
    identity.gtkApplicationId = stringProperty(window, gtkApplicationIdAtom_);
    // WM_CLASS holds the instance and the class, each ended by a NUL.
    if (const auto wmClass = stringProperty(window, XCB_ATOM_WM_CLASS)) {
        const auto split = wmClass->find('\0');
        identity.wmInstance = wmClass->substr(0, split);
        if (split != std::string::npos) {
            const auto rest = wmClass->substr(split + 1);
            identity.wmClass = rest.substr(0, rest.find('\0'));
        }
    }
    const auto pid = cardinals(window, atom("_NET_WM_PID"), XCB_ATOM_CARDINAL);
    if (!pid.empty() && pid.front() != 0) {
        identity.pid = static_cast<pid_t>(pid.front());
        identity.executable = WindowIdentity::executableOf(*identity.pid);
    }
    return identity;
}

std::optional<RunningApplication> EwmhActiveApplication::frontmostApplication() const {
    const auto window = activeWindow();
    if (!window) {
        return std::nullopt;
    }
    return identityOf(*window).application(catalog_);
}

std::optional<RunningApplication> EwmhActiveApplication::runningApplication(
    std::int32_t processIdentifier) const {
    for (const auto window : cardinals(root_, atom("_NET_CLIENT_LIST"), XCB_ATOM_WINDOW)) {
        const auto identity = identityOf(window);
        if (identity.pid == processIdentifier) {
            return identity.application(catalog_);
        }
    }
    // A process without a window of its own (a helper, or not mapped yet).
    WindowIdentity identity;
    identity.pid = processIdentifier;
    identity.executable = WindowIdentity::executableOf(processIdentifier);
    if (!identity.executable) {
        return std::nullopt;
    }
    return identity.application(catalog_);
}

void EwmhActiveApplication::dispatchPendingEvents() {
    collectEvents(true);
    bool activeChanged = false;
    for (const auto& owned : std::exchange(pending_, {})) {
        const xcb_generic_event_t* event = owned.get();
        if ((event->response_type & 0x7f) == XCB_PROPERTY_NOTIFY) {
            const auto* notify = reinterpret_cast<const xcb_property_notify_event_t*>(event);
            activeChanged = activeChanged || isIdentityChange(*notify);
        }
    }
    if (activeChanged) {
        activeWindowChanged();
    }
}

bool EwmhActiveApplication::isIdentityChange(const xcb_property_notify_event_t& notify) const {
    if (notify.window == root_) {
        return notify.atom == activeWindowAtom_;
    }
    return notify.window == watchedWindow_ &&
           (notify.atom == XCB_ATOM_WM_CLASS || notify.atom == gtkApplicationIdAtom_);
}

void EwmhActiveApplication::watchActiveWindow() {
    const auto window = activeWindow().value_or(XCB_WINDOW_NONE);
    if (window == watchedWindow_) {
        return;
    }
    // The window may be gone already; the server then ignores the request.
    const std::uint32_t none = XCB_EVENT_MASK_NO_EVENT;
    const std::uint32_t changes = XCB_EVENT_MASK_PROPERTY_CHANGE;
    if (watchedWindow_ != XCB_WINDOW_NONE) {
        xcb_change_window_attributes(connection_.get(), watchedWindow_, XCB_CW_EVENT_MASK, &none);
    }
    if (window != XCB_WINDOW_NONE) {
        xcb_change_window_attributes(connection_.get(), window, XCB_CW_EVENT_MASK, &changes);
    }
    xcb_flush(connection_.get());
    watchedWindow_ = window;
}

void EwmhActiveApplication::activeWindowChanged() {
    watchActiveWindow();
    activations_.notifyIfChanged(frontmostApplication());
}

Subscription EwmhActiveApplication::observeActivations(ActivationObserver observer) {
    return activations_.observe(std::move(observer));
}

bool EwmhActiveApplication::openUrl(const std::string& url) {
    return DesktopUrlOpener::open(url);
}

}  // namespace plovik
