#include "framework/ibus/logic/EngineHub.h"

#include <glib.h>

#include <utility>

namespace plovik::ibus {

// A session that tells the hub when it goes.
class EngineHub::Registration final : public FieldSession {
  public:
    Registration(EngineHub& hub, std::uint64_t id, std::string engineName, FieldClient& client,
                 Shared shared)
        : FieldSession(id, std::move(engineName), client, shared), hub_(hub) {}
    ~Registration() override {
        hub_.sessions_.erase(id());
        hub_.contexts_.erase(id());
    }

  private:
    EngineHub& hub_;
};

EngineHub::EngineHub(PlovikPeer& peer, EngineTimers& timers, FieldSession::Limits limits)
    : peer_(peer), timers_(timers), limits_(limits) {}

std::unique_ptr<FieldSession> EngineHub::open(std::string engineName, FieldClient& client) {
    const std::uint64_t id = nextSession_++;
    auto session = std::make_unique<Registration>(
        *this, id, std::move(engineName), client,
        FieldSession::Shared{peer_, presses_, timers_, grabs_, limits_});
    sessions_[id] = session.get();
    return session;
}

void EngineHub::focusIn(FieldSession& session, const std::string& context,
                        std::string_view clientKind) {
    // Only one field has the focus; a context that did not say it lost it, has.
    for (auto& [id, other] : sessions_) {
        if (id != session.id() && other->isFocused()) {
            focusOut(*other);
        }
    }
    const auto loss = lossJustBefore(session);
    // IBus names the context only to an engine it has asked whether it wants the name,
    // which it does once per engine name: a source's first engine is focused unnamed,
    // right after the engine it replaces lost the focus of the context.
    const std::string served = context.empty() && loss ? loss->context : context;
    contexts_[session.id()] = served;
    const auto known = units_.find(served);
    session.focusIn(clientKind, known == units_.end() ? std::nullopt
                                                      : std::optional<OffsetUnits>(known->second));
    if (loss && loss->context == served && loss->text) {
        // A client reports its text to the new engine only once the text changes: its
        // library skips a text equal to the one it sent last.
        session.takeOverText(*loss->text);
    }
    const auto orphans = orphans_.find(served);
    if (orphans == orphans_.end()) {
        return;
    }
    Orphans taken = std::move(orphans->second);
    orphans_.erase(orphans);
    if (taken.session == session.id()) {
        // The same engine again (another window of the Shell's one context): it still
        // delivers, to whatever has the focus now.
        session.deliver(taken.strokes);
    } else {
        session.adopt(std::move(taken.strokes));
    }
}

void EngineHub::focusOut(FieldSession& session) {
    const auto found = contexts_.find(session.id());
    const std::string context = found == contexts_.end() ? std::string() : found->second;
    if (session.learnedUnits()) {
        units_[context] = *session.learnedUnits();
    }
    lastLoss_ = FocusLoss{session.id(), context, session.settledText(), timers_.now()};
    auto held = session.focusOut();
    if (held.empty()) {
        return;
    }
    auto& orphans = orphans_[context];
    orphans.strokes.insert(orphans.strokes.end(), held.begin(), held.end());
    orphans.session = session.id();
    orphans.timer = timers_.after(kHandOver, [this, context] { handOn(context); });
}

std::optional<EngineHub::FocusLoss> EngineHub::lossJustBefore(const FieldSession& session) {
    // Another engine losing the focus just now, with no other focus since, is IBus
    // switching the context from that engine to this one (a change of input source).
    auto loss = std::exchange(lastLoss_, std::nullopt);
    if (!loss || loss->session == session.id() || timers_.now() - loss->at > kHandOver) {
        return std::nullopt;
    }
    return loss;
}

void EngineHub::handOn(const std::string& context) {
    const auto orphans = orphans_.find(context);
    if (orphans == orphans_.end()) {
        return;
    }
    Orphans taken = std::move(orphans->second);
    orphans_.erase(orphans);
    const auto session = sessions_.find(taken.session);
    if (session != sessions_.end()) {
        session->second->deliver(taken.strokes);
    } else {
        g_warning("%zu held keys could not be handed on: their engine is gone",
                  taken.strokes.size());
    }
}

FieldSession* EngineHub::focusedSession() const {
    for (const auto& [id, session] : sessions_) {
        if (session->isFocused()) {
            return session;
        }
    }
    return nullptr;
}

void EngineHub::receive(const EngineMessage& message) {
    switch (message.kind) {
        case EngineMessage::Kind::grabs:
            if (auto grabs = GrabList::fromMessage(message)) {
                grabs_ = std::move(*grabs);
            }
            break;
        case EngineMessage::Kind::edit:
            if (const auto request = EditRequest::fromMessage(message)) {
                const auto session = sessions_.find(request->context);
                if (session != sessions_.end()) {
                    session->second->edit(*request);
                } else {
                    peer_.send({EngineMessage::Kind::edited,
                                {std::to_string(request->edit), "refused", "the field is gone"}});
                }
            }
            break;
        case EngineMessage::Kind::post:
            if (const auto key = message.number(0); key && key <= 0xffff) {
                if (auto* session = focusedSession()) {
                    session->post(static_cast<Key>(*key));
                }
            }
            break;
        case EngineMessage::Kind::sync:
            // Everything Plovik sent before has been carried out.
            peer_.send({EngineMessage::Kind::synced, {std::string(message.text(0))}});
            break;
        case EngineMessage::Kind::take:
            // Asked outside the wait for its answer: the press has gone on already.
            if (message.number(0)) {
                peer_.send({EngineMessage::Kind::taken, {std::string(message.text(0)), "no"}});
            }
            break;
        default:
            // A late answer, or what only the engine sends.
            break;
    }
}

void EngineHub::peerConnected() {
    peer_.send({EngineMessage::Kind::hello, {std::to_string(EngineMessage::kProtocol)}});
    if (auto* session = focusedSession()) {
        session->announce();
    }
}

void EngineHub::peerLost() {
    grabs_ = GrabList();
    for (auto& [id, session] : sessions_) {
        session->peerLost();
    }
    for (auto& [context, orphans] : orphans_) {
        for (auto& held : orphans.strokes) {
            held.released = true;
        }
    }
}

}  // namespace plovik::ibus
