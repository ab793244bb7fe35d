#include "platform/linux/NotificationClient.h"

#include <string_view>

namespace plovik {

namespace {

constexpr const char* kService = "org.freedesktop.Notifications";
constexpr const char* kObjectPath = "/org/freedesktop/Notifications";
constexpr const char* kInterface = "org.freedesktop.Notifications";
constexpr const char* kApplicationName = "Plovik";
constexpr const char* kApplicationIcon = "input-keyboard";

struct AuthorizationRequest {
    SystemServices::AuthorizationHandler handler;
    std::shared_ptr<void> shared;
    std::atomic<bool>* readsMarkup;
};

bool listsMarkup(GVariant* reply) {
    glib::Variant capabilities(g_variant_get_child_value(reply, 0));
    gsize count = 0;
    const gchar** names = g_variant_get_strv(capabilities.get(), &count);
    bool found = false;
    for (gsize i = 0; i < count; ++i) {
        found = found || std::string_view(names[i]) == "body-markup";
    }
    g_free(names);
    return found;
}

void answerAuthorization(GObject* source, GAsyncResult* result, gpointer data) {
    std::unique_ptr<AuthorizationRequest> request(static_cast<AuthorizationRequest*>(data));
    GError* rawError = nullptr;
    glib::Variant reply(
        g_dbus_connection_call_finish(G_DBUS_CONNECTION(source), result, &rawError));
    glib::Error error(rawError);
    if (error && g_error_matches(error.get(), G_IO_ERROR, G_IO_ERROR_CANCELLED)) {
        return;
    }
    if (!reply) {
        if (!request->handler) {
            return;
        }
        request->handler(false, std::string(NotificationClient::kNoServerMessage) + " (" +
                                    glib::messageOf(error.get(), "no answer") + ")");
        return;
    }
    request->readsMarkup->store(listsMarkup(reply.get()));
    if (request->handler) {
        request->handler(true, std::nullopt);
    }
}

std::string escapedForMarkup(const std::string& text) {
    glib::String escaped(g_markup_escape_text(text.c_str(), static_cast<gssize>(text.size())));
    return escaped ? std::string(escaped.get()) : text;
}

}  // namespace

NotificationClient::NotificationClient(const std::optional<std::string>& busAddress)
    : cancellable_(g_cancellable_new()) {
    GError* rawError = nullptr;
    if (busAddress) {
        connection_.reset(g_dbus_connection_new_for_address_sync(
            busAddress->c_str(),
            static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                              G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
            nullptr, nullptr, &rawError));
    } else {
        connection_.reset(g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, &rawError));
    }
    glib::Error error(rawError);
    if (!connection_) {
        connectionError_ = glib::messageOf(error.get(), "the session bus cannot be reached");
        return;
    }
    // Learn early whether bodies must be escaped; a server that is not running yet is
    // asked again by the authorization request.
    askCapabilities(nullptr);
}

NotificationClient::~NotificationClient() {
    g_cancellable_cancel(cancellable_.get());
}

void NotificationClient::post(const UserNotification& notification) {
    if (!connection_) {
        return;
    }
    const auto body =
        shared_->readsMarkup ? escapedForMarkup(notification.body) : notification.body;
    GVariantBuilder actions;
    g_variant_builder_init(&actions, G_VARIANT_TYPE("as"));
    GVariantBuilder hints;
    g_variant_builder_init(&hints, G_VARIANT_TYPE("a{sv}"));
    g_variant_builder_add(&hints, "{sv}", "desktop-entry", g_variant_new_string("plovik"));
    // The server's answer (the notification's id) is of no use, so it is not awaited.
    g_dbus_connection_call(
        connection_.get(), kService, kObjectPath, kInterface, "Notify",
        g_variant_new("(susssasa{sv}i)", kApplicationName, 0u, kApplicationIcon,
                      notification.title.c_str(), body.c_str(), &actions, &hints, -1),
        nullptr, G_DBUS_CALL_FLAGS_NONE, kAnswerTimeoutMilliseconds, nullptr, nullptr, nullptr);
}

void NotificationClient::requestAuthorization(SystemServices::AuthorizationHandler handler) {
    if (!handler) {
        return;
    }
    if (!connection_) {
        handler(false, std::string(kNoServerMessage) + " (" + connectionError_ + ")");
        return;
    }
    askCapabilities(std::move(handler));
}

void NotificationClient::askCapabilities(SystemServices::AuthorizationHandler handler) {
    auto* request = new AuthorizationRequest{std::move(handler), shared_, &shared_->readsMarkup};
    g_dbus_connection_call(connection_.get(), kService, kObjectPath, kInterface, "GetCapabilities",
                           nullptr, G_VARIANT_TYPE("(as)"), G_DBUS_CALL_FLAGS_NONE,
                           kAnswerTimeoutMilliseconds, cancellable_.get(), answerAuthorization,
                           request);
}

}  // namespace plovik
