#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "framework/ibus/logic/FieldSession.h"

namespace plovik::ibus {

// What the engine program's sessions share: the connection to Plovik, the numbering of
// presses, the combinations to ask about, the units each input context's offsets were
// seen in; and where Plovik's requests go.
class EngineHub {
  public:
    EngineHub(PlovikPeer& peer, EngineTimers& timers, FieldSession::Limits limits = {});
    EngineHub(const EngineHub&) = delete;
    EngineHub& operator=(const EngineHub&) = delete;

    // A session for a new engine; it stays known to the hub until it is destroyed.
    std::unique_ptr<FieldSession> open(std::string engineName, FieldClient& client);

    // How long keys an engine held when it lost the focus wait for the next engine of
    // the same input context before its own engine hands them on.
    static constexpr std::chrono::milliseconds kHandOver{50};

    // Input-context bookkeeping: the context (IBus's object path) the session now serves.
    void focusIn(FieldSession& session, const std::string& context, std::string_view clientKind);
    void focusOut(FieldSession& session);

    // A message from Plovik outside any wait for an answer.
    void receive(const EngineMessage& message);
    void peerConnected();
    void peerLost();

    const PressCounter& presses() const { return presses_; }

  private:
    class Registration;
    // Keys held by an engine that lost the focus: when IBus switched the context to
    // another engine, that one hands them on; otherwise their own engine does.
    struct Orphans {
        std::uint64_t session = 0;
        FieldSession::HeldStrokes strokes;
        std::unique_ptr<EngineTimer> timer;
    };
    void handOn(const std::string& context);
    // The last session to lose the focus, and the text it knew when nothing could have
    // changed it since it was reported.
    struct FocusLoss {
        std::uint64_t session = 0;
        std::string context;
        std::optional<SurroundingText> text;
        std::chrono::steady_clock::time_point at;
    };
    std::optional<FocusLoss> lossJustBefore(const FieldSession& session);

    FieldSession* focusedSession() const;

    PlovikPeer& peer_;
    EngineTimers& timers_;
    FieldSession::Limits limits_;
    PressCounter presses_;
    GrabList grabs_;
    std::uint64_t nextSession_ = 1;
    std::map<std::uint64_t, FieldSession*> sessions_;
    std::map<std::uint64_t, std::string> contexts_;
    std::map<std::string, OffsetUnits> units_;
    std::map<std::string, Orphans> orphans_;
    std::optional<FocusLoss> lastLoss_;
};

}  // namespace plovik::ibus
