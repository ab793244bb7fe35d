#pragma once

#include <glib.h>

#include <chrono>
#include <deque>
#include <optional>

#include "framework/ibus/logic/EngineHub.h"
#include "framework/ibus/logic/PlovikPeer.h"
#include "framework/ibus/wire/EngineSocket.h"

namespace plovik::ibus {

// The engine program's end of the socket: listens for Plovik, keeps the newest
// connection, hands its messages to the hub on the main loop, and waits for the answer
// to an asked press within the budget (the keyboard is frozen meanwhile).
class PlovikConnection final : public PlovikPeer {
  public:
    struct Budgets {
        std::chrono::milliseconds answer{4};
        // Once Plovik has taken a press, only its scheduling work remains.
        std::chrono::milliseconds taken{500};
    };

    // Without a listener nobody can connect, and every key passes.
    PlovikConnection(std::optional<EngineSocket> listener, Budgets budgets,
                     GMainContext* context = nullptr);
    ~PlovikConnection() override;
    PlovikConnection(const PlovikConnection&) = delete;
    PlovikConnection& operator=(const PlovikConnection&) = delete;

    // The hub hears everything from here on; it must outlive this connection's use.
    void attach(EngineHub& hub) { hub_ = &hub; }

    bool isConnected() const override { return peer_.has_value(); }
    void send(const EngineMessage& message) override;
    std::optional<bool> ask(const EngineMessage& press, std::uint64_t number) override;

    // PLOVIK_IBUS_ANSWER_MS (1-50) lets tests on a crowded machine wait longer.
    static std::chrono::milliseconds answerBudget(const char* setting);

  private:
    static gboolean onListener(gint, GIOCondition, gpointer data);
    static gboolean onPeer(gint, GIOCondition condition, gpointer data);
    static gboolean onPending(gpointer data);
    void accept();
    void readAvailable();
    void drop();
    void dispatch(const EngineMessage& message);
    void schedulePending();

    std::optional<EngineSocket> listener_;
    Budgets budgets_;
    GMainContext* context_;
    EngineHub* hub_ = nullptr;
    std::optional<EngineSocket> peer_;
    guint listenerWatch_ = 0;
    guint peerWatch_ = 0;
    guint pendingSource_ = 0;
    // What arrived while an answer was awaited, handled afterwards in order.
    std::deque<EngineMessage> pending_;
};

}  // namespace plovik::ibus
