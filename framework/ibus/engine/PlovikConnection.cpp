#include "framework/ibus/engine/PlovikConnection.h"

#include <glib-unix.h>

#include <cstdlib>
#include <utility>

namespace plovik::ibus {

namespace {

guint watch(int descriptor, GMainContext* context, GUnixFDSourceFunc callback, gpointer data) {
    GSource* source =
        g_unix_fd_source_new(descriptor, static_cast<GIOCondition>(G_IO_IN | G_IO_HUP | G_IO_ERR));
    g_source_set_callback(source, G_SOURCE_FUNC(callback), data, nullptr);
    const guint id = g_source_attach(source, context);
    g_source_unref(source);
    return id;
}

void remove(guint& id, GMainContext* context) {
    if (id != 0) {
        if (GSource* source = g_main_context_find_source_by_id(context, id)) {
            g_source_destroy(source);
        }
        id = 0;
    }
}

}  // namespace

PlovikConnection::PlovikConnection(std::optional<EngineSocket> listener, Budgets budgets,
                                   GMainContext* context)
    : listener_(std::move(listener)), budgets_(budgets), context_(context) {
    if (listener_) {
        listenerWatch_ = watch(listener_->descriptor(), context_, onListener, this);
    }
}

PlovikConnection::~PlovikConnection() {
    remove(listenerWatch_, context_);
    remove(peerWatch_, context_);
    remove(pendingSource_, context_);
}

std::chrono::milliseconds PlovikConnection::answerBudget(const char* setting) {
    const long milliseconds = setting ? std::strtol(setting, nullptr, 10) : 0;
    return milliseconds >= 1 && milliseconds <= 50 ? std::chrono::milliseconds(milliseconds)
                                                   : Budgets{}.answer;
}

gboolean PlovikConnection::onListener(gint, GIOCondition, gpointer data) {
    static_cast<PlovikConnection*>(data)->accept();
    return G_SOURCE_CONTINUE;
}

gboolean PlovikConnection::onPeer(gint, GIOCondition condition, gpointer data) {
    auto* connection = static_cast<PlovikConnection*>(data);
    if ((condition & G_IO_IN) != 0) {
        connection->readAvailable();
    } else {
        connection->drop();
    }
    return connection->peerWatch_ != 0 ? G_SOURCE_CONTINUE : G_SOURCE_REMOVE;
}

void PlovikConnection::accept() {
    auto accepted = listener_->accept();
    if (!accepted) {
        return;
    }
    // The newest Plovik wins: an older one still connected is on its way out.
    if (peer_) {
        drop();
    }
    peer_ = std::move(*accepted);
    peerWatch_ = watch(peer_->descriptor(), context_, onPeer, this);
    if (hub_) {
        hub_->peerConnected();
    }
}

void PlovikConnection::drop() {
    if (!peer_) {
        return;
    }
    // Only the watch's id is forgotten when called from the watch itself, which then ends.
    if (GSource* source = g_main_context_find_source_by_id(context_, peerWatch_);
        source && source != g_main_current_source()) {
        g_source_destroy(source);
    }
    peerWatch_ = 0;
    peer_.reset();
    pending_.clear();
    if (hub_) {
        hub_->peerLost();
    }
}

void PlovikConnection::send(const EngineMessage& message) {
    if (peer_ && !peer_->send(message)) {
        drop();
    }
}

void PlovikConnection::readAvailable() {
    // Whatever waited behind an answer goes first.
    while (!pending_.empty()) {
        auto message = std::move(pending_.front());
        pending_.pop_front();
        dispatch(message);
    }
    while (peer_) {
        const auto received = peer_->receive(std::chrono::milliseconds(0));
        if (received.status == EngineSocket::Status::closed) {
            drop();
            return;
        }
        if (!received.message) {
            return;
        }
        dispatch(*received.message);
    }
}

void PlovikConnection::dispatch(const EngineMessage& message) {
    if (hub_) {
        hub_->receive(message);
    }
}

std::optional<bool> PlovikConnection::ask(const EngineMessage& press, std::uint64_t number) {
    send(press);
    auto deadline = std::chrono::steady_clock::now() + budgets_.answer;
    bool taken = false;
    while (peer_) {
        const auto left = deadline - std::chrono::steady_clock::now();
        if (left <= std::chrono::steady_clock::duration::zero()) {
            break;
        }
        const auto received = peer_->receive(std::chrono::ceil<std::chrono::milliseconds>(left));
        if (received.status == EngineSocket::Status::closed) {
            drop();
            return std::nullopt;
        }
        if (received.message) {
            const auto& message = *received.message;
            const bool forThisPress = message.number(0) == number;
            if (message.kind == EngineMessage::Kind::answer && forThisPress) {
                return message.text(1) == "swallow" && taken ? std::optional<bool>(true)
                                                             : std::optional<bool>(false);
            }
            if (message.kind == EngineMessage::Kind::take && forThisPress) {
                taken = true;
                send({EngineMessage::Kind::taken, {std::to_string(number), "yes"}});
                deadline = std::chrono::steady_clock::now() + budgets_.taken;
                continue;
            }
            pending_.push_back(*received.message);
            schedulePending();
        }
    }
    send({EngineMessage::Kind::late, {std::to_string(number)}});
    return std::nullopt;
}

void PlovikConnection::schedulePending() {
    if (pendingSource_ != 0) {
        return;
    }
    GSource* source = g_idle_source_new();
    g_source_set_callback(source, onPending, this, nullptr);
    pendingSource_ = g_source_attach(source, context_);
    g_source_unref(source);
}

gboolean PlovikConnection::onPending(gpointer data) {
    auto* connection = static_cast<PlovikConnection*>(data);
    connection->pendingSource_ = 0;
    connection->readAvailable();
    return G_SOURCE_REMOVE;
}

}  // namespace plovik::ibus
