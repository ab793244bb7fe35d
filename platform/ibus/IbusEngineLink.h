#pragma once

#include <glib.h>

#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/support/Published.h"
#include "framework/ibus/wire/EngineMessage.h"
#include "framework/ibus/wire/EngineSocket.h"

namespace plovik {

// Plovik's connection to its IBus engine program, served by a GLib main context. It
// connects whenever the engines are running (they listen in the user's runtime folder)
// and hands every message to the listeners in order. Main thread only.
class IbusEngineLink {
  public:
    using Listener = std::function<void(const ibus::EngineMessage&)>;
    static constexpr std::chrono::milliseconds kRetryInterval{500};

    // Absent path: nowhere to connect (no runtime folder); null context: the default one.
    explicit IbusEngineLink(std::optional<std::string> socketPath, GMainContext* context = nullptr);
    ~IbusEngineLink();
    IbusEngineLink(const IbusEngineLink&) = delete;
    IbusEngineLink& operator=(const IbusEngineLink&) = delete;

    // Connects now if it can, and keeps trying while the engines are not there.
    void start();

    // Connects as soon as the engines listen and waits for their greeting, at most
    // `timeout`; false when they did not greet.
    bool waitForConnection(std::chrono::milliseconds timeout);

    [[nodiscard]] Subscription listen(Listener listener);
    // True while connected (from the engines' greeting on); set on every connection and loss.
    Published<bool>& connected() { return connected_; }
    bool isConnected() const { return *connected_; }

    // False when not connected (or the engines stopped reading).
    bool send(const ibus::EngineMessage& message);
    // Sends `message` and waits at most `timeout` for the first message `accepts` takes;
    // what arrives meanwhile reaches the listeners afterwards, in order.
    std::optional<ibus::EngineMessage> request(
        const ibus::EngineMessage& message,
        const std::function<bool(const ibus::EngineMessage&)>& accepts,
        std::chrono::milliseconds timeout);

    // Waits `duration` for the engines' reports of the field (and their greeting), which go
    // to the listeners at once; every other message waits for the main loop, in order.
    void receiveFieldReports(std::chrono::milliseconds duration);

  private:
    struct Listeners {
        std::vector<std::shared_ptr<Listener>> entries;
    };

    static gboolean onReadable(gint, GIOCondition condition, gpointer data);
    static gboolean onRetry(gpointer data);
    static gboolean onPending(gpointer data);
    bool tryConnect();
    void disconnect();
    void deliverAvailable();
    void deliver(const ibus::EngineMessage& message);
    void scheduleRetry();
    void schedulePending();
    void removeSource(guint& id);

    std::optional<std::string> socketPath_;
    GMainContext* context_;
    std::optional<ibus::EngineSocket> socket_;
    guint readWatch_ = 0;
    guint retryTimer_ = 0;
    guint pendingSource_ = 0;
    bool delivering_ = false;
    std::deque<ibus::EngineMessage> pending_;
    std::shared_ptr<Listeners> listeners_ = std::make_shared<Listeners>();
    Published<bool> connected_{false};
};

}  // namespace plovik
