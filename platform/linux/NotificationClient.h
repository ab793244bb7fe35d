#pragma once

#include <gio/gio.h>

#include <atomic>
#include <memory>
#include <optional>
#include <string>

#include "core/platform/SystemServices.h"
#include "core/platform/UserNotification.h"
#include "platform/linux/GlibHandles.h"

namespace plovik {

// Desktop notifications through org.freedesktop.Notifications on the session bus. Every
// call is asynchronous: nothing here waits for the notification server.
class NotificationClient {
  public:
    static constexpr int kAnswerTimeoutMilliseconds = 2000;
    static constexpr const char* kNoServerMessage =
        "No notification service answered on this desktop, so Plovik cannot show "
        "notifications.";

    // The session bus, or the bus at `busAddress`. Without a bus nothing is shown and
    // every authorization request is refused.
    explicit NotificationClient(const std::optional<std::string>& busAddress = std::nullopt);
    ~NotificationClient();
    NotificationClient(const NotificationClient&) = delete;
    NotificationClient& operator=(const NotificationClient&) = delete;

    void post(const UserNotification& notification);
    // Granted when a notification server answers; the handler runs on the thread of the
    // GLib main context that was current here, once the answer or the timeout comes.
    void requestAuthorization(SystemServices::AuthorizationHandler handler);

  private:
    struct Shared {
        // Servers that read markup in the body need the text escaped.
        std::atomic<bool> readsMarkup{false};
    };

    void askCapabilities(SystemServices::AuthorizationHandler handler);

    glib::Object<GDBusConnection> connection_;
    std::string connectionError_;
    glib::Object<GCancellable> cancellable_;
    std::shared_ptr<Shared> shared_ = std::make_shared<Shared>();
};

}  // namespace plovik
