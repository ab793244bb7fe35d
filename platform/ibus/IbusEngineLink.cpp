#include "platform/ibus/IbusEngineLink.h"

#include <glib-unix.h>
#include <poll.h>

#include <algorithm>
#include <thread>
#include <utility>

namespace plovik {

using ibus::EngineMessage;
using ibus::EngineSocket;

IbusEngineLink::IbusEngineLink(std::optional<std::string> socketPath, GMainContext* context)
    : socketPath_(std::move(socketPath)), context_(context) {}

IbusEngineLink::~IbusEngineLink() {
    removeSource(readWatch_);
    removeSource(retryTimer_);
    removeSource(pendingSource_);
}

void IbusEngineLink::removeSource(guint& id) {
    if (id != 0) {
        if (GSource* source = g_main_context_find_source_by_id(context_, id)) {
            g_source_destroy(source);
        }
        id = 0;
    }
}

void IbusEngineLink::start() {
    if (!tryConnect()) {
        scheduleRetry();
    }
}

bool IbusEngineLink::waitForConnection(std::chrono::milliseconds timeout) {
    constexpr auto kStep = std::chrono::milliseconds(50);
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!isConnected() && std::chrono::steady_clock::now() < deadline) {
        if (!tryConnect()) {
            std::this_thread::sleep_for(kStep);
            continue;
        }
        // The engines greet once they take the connection up; until then they pass keys
        // without a word.
        deliverAvailable();
        if (!isConnected() && socket_) {
            pollfd request{socket_->descriptor(), POLLIN, 0};
            ::poll(&request, 1, static_cast<int>(kStep.count()));
        }
    }
    return isConnected();
}

Subscription IbusEngineLink::listen(Listener listener) {
    auto entry = std::make_shared<Listener>(std::move(listener));
    listeners_->entries.push_back(entry);
    std::weak_ptr<Listeners> weak = listeners_;
    return Subscription([weak, entry] {
        if (const auto listeners = weak.lock()) {
            std::erase(listeners->entries, entry);
        }
    });
}

bool IbusEngineLink::tryConnect() {
    if (socket_ || !socketPath_) {
        return socket_.has_value();
    }
    auto connected = EngineSocket::connect(*socketPath_);
    if (!std::holds_alternative<EngineSocket>(connected)) {
        return false;
    }
    socket_ = std::move(std::get<EngineSocket>(connected));
    GSource* source = g_unix_fd_source_new(
        socket_->descriptor(), static_cast<GIOCondition>(G_IO_IN | G_IO_HUP | G_IO_ERR));
    g_source_set_callback(source, G_SOURCE_FUNC(onReadable), this, nullptr);
    readWatch_ = g_source_attach(source, context_);
    g_source_unref(source);
    return true;
}

void IbusEngineLink::scheduleRetry() {
    if (retryTimer_ != 0 || !socketPath_) {
        return;
    }
    GSource* source = g_timeout_source_new(static_cast<guint>(kRetryInterval.count()));
    g_source_set_callback(source, onRetry, this, nullptr);
    retryTimer_ = g_source_attach(source, context_);
    g_source_unref(source);
}

gboolean IbusEngineLink::onRetry(gpointer data) {
    auto* link = static_cast<IbusEngineLink*>(data);
    if (link->tryConnect()) {
        link->retryTimer_ = 0;
        return G_SOURCE_REMOVE;
    }
    return G_SOURCE_CONTINUE;
}

void IbusEngineLink::disconnect() {
    if (!socket_) {
        return;
    }
    if (GSource* source = g_main_context_find_source_by_id(context_, readWatch_);
        source && source != g_main_current_source()) {
        g_source_destroy(source);
    }
    readWatch_ = 0;
    socket_.reset();
    pending_.clear();
    if (*connected_) {
        connected_.set(false);
    }
    scheduleRetry();
}

gboolean IbusEngineLink::onReadable(gint, GIOCondition condition, gpointer data) {
    auto* link = static_cast<IbusEngineLink*>(data);
    if ((condition & G_IO_IN) != 0) {
        link->deliverAvailable();
    } else {
        link->disconnect();
    }
    return link->readWatch_ != 0 ? G_SOURCE_CONTINUE : G_SOURCE_REMOVE;
}

gboolean IbusEngineLink::onPending(gpointer data) {
    auto* link = static_cast<IbusEngineLink*>(data);
    link->pendingSource_ = 0;
    link->deliverAvailable();
    return G_SOURCE_REMOVE;
}

void IbusEngineLink::schedulePending() {
    if (pendingSource_ != 0) {
        return;
    }
    GSource* source = g_idle_source_new();
    g_source_set_callback(source, onPending, this, nullptr);
    pendingSource_ = g_source_attach(source, context_);
    g_source_unref(source);
}

void IbusEngineLink::receiveFieldReports(std::chrono::milliseconds duration) {
    const auto isFieldReport = [](const EngineMessage& message) {
        return message.kind == EngineMessage::Kind::field ||
               message.kind == EngineMessage::Kind::text;
    };
    // Reports that came in during an earlier request are older than anything waiting on
    // the socket.
    for (auto it = pending_.begin(); it != pending_.end();) {
        if (isFieldReport(*it)) {
            const EngineMessage message = std::move(*it);
            it = pending_.erase(it);
            deliver(message);
        } else {
            ++it;
        }
    }
    const auto deadline = std::chrono::steady_clock::now() + duration;
    while (socket_) {
        const auto left = deadline - std::chrono::steady_clock::now();
        if (left <= std::chrono::steady_clock::duration::zero()) {
            break;
        }
        auto received = socket_->receive(std::chrono::ceil<std::chrono::milliseconds>(left));
        if (received.status == EngineSocket::Status::closed) {
            disconnect();
            break;
        }
        if (received.message && isFieldReport(*received.message)) {
            deliver(*received.message);
        } else if (received.message) {
            pending_.push_back(std::move(*received.message));
        }
    }
    if (!pending_.empty()) {
        schedulePending();
    }
}

void IbusEngineLink::deliverAvailable() {
    // A listener that asks for something in turn gets its answer, and what came before
    // the answer waits here for this loop.
    if (delivering_) {
        return;
    }
    delivering_ = true;
    while (true) {
        if (!pending_.empty()) {
            const EngineMessage message = std::move(pending_.front());
            pending_.pop_front();
            deliver(message);
            continue;
        }
        if (!socket_) {
            break;
        }
        const auto received = socket_->receive(std::chrono::milliseconds(0));
        if (received.status == EngineSocket::Status::closed) {
            disconnect();
            break;
        }
        if (!received.message) {
            break;
        }
        deliver(*received.message);
    }
    delivering_ = false;
}

void IbusEngineLink::deliver(const EngineMessage& message) {
    if (message.kind == EngineMessage::Kind::hello) {
        connected_.set(true);
    }
    const auto snapshot = listeners_->entries;
    for (const auto& listener : snapshot) {
        (*listener)(message);
    }
}

bool IbusEngineLink::send(const EngineMessage& message) {
    if (!socket_) {
        return false;
    }
    if (!socket_->send(message)) {
        disconnect();
        return false;
    }
    return true;
}

std::optional<EngineMessage> IbusEngineLink::request(
    const EngineMessage& message, const std::function<bool(const EngineMessage&)>& accepts,
    std::chrono::milliseconds timeout) {
    if (!send(message)) {
        return std::nullopt;
    }
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (socket_) {
        const auto left = deadline - std::chrono::steady_clock::now();
        if (left <= std::chrono::steady_clock::duration::zero()) {
            break;
        }
        auto received = socket_->receive(std::chrono::ceil<std::chrono::milliseconds>(left));
        if (received.status == EngineSocket::Status::closed) {
            disconnect();
            break;
        }
        if (!received.message) {
            continue;
        }
        if (accepts(*received.message)) {
            if (!pending_.empty()) {
                schedulePending();
            }
            return std::move(received.message);
        }
        pending_.push_back(std::move(*received.message));
    }
    if (!pending_.empty()) {
        schedulePending();
    }
    return std::nullopt;
}

}  // namespace plovik
