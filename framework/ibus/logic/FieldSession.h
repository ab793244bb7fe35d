#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "framework/ibus/logic/EditRequest.h"
#include "framework/ibus/logic/EngineTimers.h"
#include "framework/ibus/logic/FieldClient.h"
#include "framework/ibus/logic/GrabList.h"
#include "framework/ibus/logic/KeyStroke.h"
#include "framework/ibus/logic/KeysInFlight.h"
#include "framework/ibus/logic/PlovikPeer.h"
#include "framework/ibus/logic/PressCounter.h"
#include "framework/ibus/logic/ReplacementEdit.h"
#include "framework/ibus/logic/SurroundingText.h"

namespace plovik::ibus {

// One engine at work in one input context: passes the user's keys on, tells Plovik
// about them and about the field (its text as it will be once the keys on their way
// have reached it), asks about the keys Plovik may want to hold, and carries out
// Plovik's edits once the field shows every key passed. While an edit waits or is under
// way, and while a Return waits for the word before it to be corrected, the user's keys
// are held and handed on in order afterwards, so that none of them falls between the
// steps.
class FieldSession {
  public:
    struct Limits {
        // How long an edit waits for the client to show the keys passed before it (and
        // then for its echo of the deletion) before it gives up (commits anyway).
        std::chrono::milliseconds echo{150};
        // How long a withheld Return waits for Plovik before it goes on by itself.
        std::chrono::milliseconds withheldReturn{1000};
    };

    // What every session of the program shares.
    struct Shared {
        PlovikPeer& peer;
        PressCounter& presses;
        EngineTimers& timers;
        const GrabList& grabs;
        Limits limits;
    };

    // IBus's input purposes that mean a secret.
    static constexpr unsigned kPurposePassword = 8;
    static constexpr unsigned kPurposePin = 9;
    // The client kind GNOME Shell's own input context reports: every Wayland client.
    static constexpr std::string_view kShellClient = "gnome-shell";

    // A key held back from the application, to be handed on in order.
    struct HeldStroke {
        KeyStroke stroke;
        bool isWithheldReturn = false;
        // A withheld Return Plovik handed back (or that waited long enough).
        bool released = false;
        // When a withheld Return goes on by itself.
        std::chrono::steady_clock::time_point deadline{};
    };
    using HeldStrokes = std::deque<HeldStroke>;

    FieldSession(std::uint64_t id, std::string engineName, FieldClient& client, Shared shared);
    // A hub's session is deleted through this type and must leave the hub with it.
    virtual ~FieldSession();
    FieldSession(const FieldSession&) = delete;
    FieldSession& operator=(const FieldSession&) = delete;

    std::uint64_t id() const { return id_; }
    bool isFocused() const { return focused_; }

    // True when the key is the engine's (swallowed now, or held to be handed on later).
    bool processKey(const KeyStroke& stroke);
    // `clientKind` as IBus names the client ("gnome-shell", "gtk3-im:gedit", "xim"...),
    // with the units its offsets were last seen in.
    void focusIn(std::string_view clientKind, std::optional<OffsetUnits> knownUnits);
    // Returns the keys it still held: IBus stops listening to an engine it switches away
    // from before telling it, so they go on through whichever engine serves the context
    // next (see EngineHub).
    HeldStrokes focusOut();
    // Keys the previous engine of this input context held.
    void adopt(HeldStrokes strokes);
    // Hands the keys on at once, withheld Returns included.
    void deliver(const HeldStrokes& strokes);
    void setSurroundingTextCapability(bool capable);
    void setContentType(unsigned purpose, unsigned hints);
    void setSurroundingText(std::string_view text, unsigned cursor, unsigned anchor);
    // The client reset its input state (a click moved the caret, the focus is leaving):
    // what it reported last may no longer be its text.
    void reset();
    // The text the client last reported, when nothing since may have changed it: no key
    // on its way, no edit, no reset, no secret.
    std::optional<SurroundingText> settledText() const;
    // The text of this engine's input context as the engine before it knew it, for a
    // client that does not report an unchanged text again.
    void takeOverText(const SurroundingText& text);
    // The units the client's offsets have shown, for the next engine of the same context.
    std::optional<OffsetUnits> learnedUnits() const { return learnedUnits_; }

    void edit(const EditRequest& request);
    // A withheld Return handed back by Plovik: it goes on, and so do the keys after it.
    void post(Key key);
    // Plovik is gone or has just come: nothing waits for it any more / it hears the field.
    void peerLost();
    void announce();

  private:
    bool isSecret() const;
    bool isHolding() const {
        return edit_.has_value() || waitingEdit_.has_value() || !held_.empty();
    }
    void notePassed(const KeyStroke& stroke);
    void perform(const EditRequest& request);
    EngineMessage pressMessage(std::uint64_t number, const KeyStroke& stroke,
                               std::string_view disposition) const;
    void withhold(const KeyStroke& stroke);
    void releaseReturns();
    void releaseDueReturns();
    void armReturnDeadline();
    void drain();
    void refuse(const EditRequest& request, std::string_view reason);
    void completeEdit();
    OffsetUnits units() const;
    bool verifiesDeletions() const;
    void sendField();
    void sendText();

    const std::uint64_t id_;
    const std::string engineName_;
    FieldClient& client_;
    Shared shared_;
    bool focused_ = false;
    bool capable_ = true;
    unsigned purpose_ = 0;
    std::string clientKind_;
    std::optional<OffsetUnits> learnedUnits_;
    std::optional<SurroundingText> surrounding_;
    bool reportedSinceReset_ = false;
    KeysInFlight inFlight_;
    std::optional<EditRequest> waitingEdit_;
    std::optional<ReplacementEdit> edit_;
    std::uint64_t editId_ = 0;
    std::unique_ptr<EngineTimer> editDeadline_;
    HeldStrokes held_;
    std::unique_ptr<EngineTimer> returnDeadline_;
};

}  // namespace plovik::ibus
