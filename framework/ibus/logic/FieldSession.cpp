#include "framework/ibus/logic/FieldSession.h"

#include <algorithm>
#include <utility>

namespace plovik::ibus {

namespace {

constexpr Modifiers kLockModifiers = Modifier::capsLock | Modifier::numLock;

// Surrounding text longer than this travels to Plovik as the part around the caret.
constexpr std::size_t kTextLimit = 16 * 1024;
constexpr std::size_t kKeptBeforeCursor = 2048;
constexpr std::size_t kKeptAfterCursor = 512;

SurroundingText aroundCursor(const SurroundingText& surrounding) {
    if (surrounding.text.size() <= kTextLimit) {
        return surrounding;
    }
    const std::size_t start = surrounding.cursor - std::min(surrounding.cursor, kKeptBeforeCursor);
    const std::size_t total = codePointCount(surrounding.text);
    const std::size_t end = std::min(total, surrounding.cursor + kKeptAfterCursor);
    const std::string head = withoutLastCodePoints(surrounding.text, total - end);
    const std::string kept = head.substr(withoutLastCodePoints(head, end - start).size());
    const auto shift = [&](std::size_t offset) { return std::clamp(offset, start, end) - start; };
    return {kept, shift(surrounding.cursor), shift(surrounding.anchor)};
}

}  // namespace

FieldSession::FieldSession(std::uint64_t id, std::string engineName, FieldClient& client,
                           Shared shared)
    : id_(id), engineName_(std::move(engineName)), client_(client), shared_(shared) {}

FieldSession::~FieldSession() {
    // Nothing the user typed stays behind with the engine.
    waitingEdit_.reset();
    if (edit_) {
        edit_->finish(client_);
        edit_.reset();
    }
    deliver(std::exchange(held_, {}));
}

bool FieldSession::isSecret() const {
    return purpose_ == kPurposePassword || purpose_ == kPurposePin ||
           (surrounding_ && surrounding_->isMasked());
}

EngineMessage FieldSession::pressMessage(std::uint64_t number, const KeyStroke& stroke,
                                         std::string_view disposition) const {
    return {EngineMessage::Kind::press,
            {std::to_string(number), std::to_string(evdevCode(stroke.key())),
             std::to_string(stroke.modifiers().bits()), isSecret() ? std::string() : stroke.text(),
             std::string(disposition)}};
}

bool FieldSession::processKey(const KeyStroke& stroke) {
    if (stroke.isRelease()) {
        if (!isHolding()) {
            return false;
        }
        held_.push_back({stroke});
        return true;
    }
    const std::uint64_t number = shared_.presses.next();
    if (isHolding()) {
        held_.push_back({stroke});
        shared_.peer.send(pressMessage(number, stroke, "held"));
        return true;
    }
    if (!shared_.peer.isConnected()) {
        shared_.presses.notePassed(number);
        return false;
    }
    if (shared_.grabs.matches(stroke)) {
        if (shared_.peer.ask(pressMessage(number, stroke, "asked"), number) == true) {
            if (stroke.isReturn()) {
                withhold(stroke);
            }
            return true;
        }
        shared_.presses.notePassed(number);
        notePassed(stroke);
        return false;
    }
    shared_.peer.send(pressMessage(number, stroke, "passed"));
    shared_.presses.notePassed(number);
    notePassed(stroke);
    return false;
}

void FieldSession::notePassed(const KeyStroke& stroke) {
    if (!surrounding_ || isSecret()) {
        return;
    }
    switch (stroke.key()) {
        case Key::leftShift:
        case Key::rightShift:
        case Key::leftControl:
        case Key::rightControl:
        case Key::leftAlt:
        case Key::rightAlt:
        case Key::leftSuper:
        case Key::rightSuper:
        case Key::capsLock:
        case Key::numLock:
            return;
        default:
            break;
    }
    if (const std::string text = stroke.text(); !text.empty()) {
        inFlight_.typed(text);
    } else if (stroke.key() == Key::backspace &&
               stroke.modifiers().without(kLockModifiers).empty()) {
        inFlight_.erased();
    } else {
        inFlight_.unforeseeable();
    }
    if (focused_ && shared_.peer.isConnected()) {
        sendText();
    }
}

void FieldSession::withhold(const KeyStroke& stroke) {
    held_.push_back({stroke, true, false, shared_.timers.now() + shared_.limits.withheldReturn});
    armReturnDeadline();
}

void FieldSession::armReturnDeadline() {
    std::optional<std::chrono::steady_clock::time_point> earliest;
    for (const auto& held : held_) {
        if (held.isWithheldReturn && !held.released && (!earliest || held.deadline < *earliest)) {
            earliest = held.deadline;
        }
    }
    if (!earliest) {
        returnDeadline_.reset();
        return;
    }
    const auto wait =
        std::chrono::ceil<std::chrono::milliseconds>(*earliest - shared_.timers.now());
    returnDeadline_ = shared_.timers.after(std::max(wait, std::chrono::milliseconds(0)), [this] {
        // Plovik did not hand it back in time: the Return is the user's, it goes on.
        releaseDueReturns();
        drain();
    });
}

void FieldSession::releaseDueReturns() {
    const auto now = shared_.timers.now();
    for (auto& held : held_) {
        if (held.isWithheldReturn && held.deadline <= now) {
            held.released = true;
        }
    }
}

void FieldSession::post(Key key) {
    for (auto& held : held_) {
        if (held.isWithheldReturn && !held.released && held.stroke.key() == key) {
            held.released = true;
            break;
        }
    }
    drain();
}

void FieldSession::releaseReturns() {
    for (auto& held : held_) {
        held.released = true;
    }
}

void FieldSession::drain() {
    if (!edit_ && !waitingEdit_) {
        while (!held_.empty()) {
            const HeldStroke& front = held_.front();
            if (front.isWithheldReturn && !front.released) {
                break;
            }
            // Taken off first: the client may call back into the engine while it forwards.
            const KeyStroke stroke = front.stroke;
            held_.pop_front();
            client_.forward(stroke);
        }
    }
    armReturnDeadline();
}

void FieldSession::deliver(const HeldStrokes& strokes) {
    for (const auto& held : strokes) {
        client_.forward(held.stroke);
    }
}

void FieldSession::adopt(HeldStrokes strokes) {
    held_.insert(held_.begin(), strokes.begin(), strokes.end());
    drain();
}

void FieldSession::focusIn(std::string_view clientKind, std::optional<OffsetUnits> knownUnits) {
    focused_ = true;
    clientKind_ = std::string(clientKind);
    learnedUnits_ = knownUnits;
    announce();
}

FieldSession::HeldStrokes FieldSession::focusOut() {
    if (waitingEdit_) {
        refuse(*std::exchange(waitingEdit_, std::nullopt), "the field lost the focus");
        editDeadline_.reset();
    }
    inFlight_.clear();
    if (edit_) {
        edit_->finish(client_);
        completeEdit();
    }
    focused_ = false;
    surrounding_.reset();
    reportedSinceReset_ = false;
    returnDeadline_.reset();
    if (shared_.peer.isConnected()) {
        sendField();
    }
    return std::exchange(held_, {});
}

void FieldSession::setSurroundingTextCapability(bool capable) {
    capable_ = capable;
    if (!capable_) {
        surrounding_.reset();
    }
}

void FieldSession::setContentType(unsigned purpose, unsigned) {
    const bool wasSecret = isSecret();
    purpose_ = purpose;
    if (focused_ && wasSecret != isSecret() && shared_.peer.isConnected()) {
        announce();
    }
}

OffsetUnits FieldSession::units() const {
    if (learnedUnits_) {
        return *learnedUnits_;
    }
    return clientKind_ == kShellClient ? OffsetUnits::bytes : OffsetUnits::characters;
}

bool FieldSession::verifiesDeletions() const {
    // GTK 3 reads the count of a deletion through GNOME Shell as bytes, GTK 4 as
    // characters; the input-method modules of X11 clients read characters.
    return clientKind_ == kShellClient || clientKind_.empty();
}

void FieldSession::setSurroundingText(std::string_view text, unsigned cursor, unsigned anchor) {
    if (!capable_) {
        return;
    }
    if (const auto shown = SurroundingText::unitsShownBy(text, cursor)) {
        learnedUnits_ = shown;
    }
    const bool wasSecret = isSecret();
    const std::optional<std::string> previous =
        surrounding_ ? std::optional(surrounding_->beforeCursor()) : std::nullopt;
    surrounding_ = SurroundingText::fromClient(text, cursor, anchor, units());
    reportedSinceReset_ = surrounding_.has_value();
    if (previous && surrounding_) {
        inFlight_.reported(*previous, surrounding_->beforeCursor());
    } else {
        inFlight_.clear();
    }
    if (edit_ && surrounding_ &&
        edit_->echo(surrounding_->beforeCursor(), client_) == ReplacementEdit::State::committed) {
        completeEdit();
        drain();
    } else if (waitingEdit_ && inFlight_.empty()) {
        perform(*std::exchange(waitingEdit_, std::nullopt));
    }
    if (focused_ && shared_.peer.isConnected()) {
        if (wasSecret != isSecret()) {
            sendField();
        }
        sendText();
    }
}

void FieldSession::reset() {
    reportedSinceReset_ = false;
}

std::optional<SurroundingText> FieldSession::settledText() const {
    const bool settled = focused_ && capable_ && surrounding_ && reportedSinceReset_ &&
                         !isSecret() && inFlight_.empty() && !isHolding();
    return settled ? surrounding_ : std::nullopt;
}

void FieldSession::takeOverText(const SurroundingText& text) {
    if (!focused_ || !capable_ || surrounding_) {
        return;
    }
    surrounding_ = text;
    reportedSinceReset_ = true;
    if (shared_.peer.isConnected()) {
        sendText();
    }
}

void FieldSession::edit(const EditRequest& request) {
    if (!focused_) {
        return refuse(request, "the field no longer has the focus");
    }
    if (edit_ || waitingEdit_) {
        return refuse(request, "another edit is under way");
    }
    if (shared_.presses.lastPassed() > request.askedAt) {
        return refuse(request, "a key typed after it has gone on");
    }
    if (inFlight_.empty()) {
        return perform(request);
    }
    // The keys are held from now on; the field catches up with those already passed.
    waitingEdit_ = request;
    editDeadline_ = shared_.timers.after(shared_.limits.echo, [this] {
        if (waitingEdit_) {
            perform(*std::exchange(waitingEdit_, std::nullopt));
        }
    });
}

void FieldSession::perform(const EditRequest& request) {
    editDeadline_.reset();
    if (isSecret()) {
        refuse(request, "the field holds a secret");
        return drain();
    }
    if (!surrounding_) {
        refuse(request, "the field does not tell its text");
        return drain();
    }
    if (surrounding_->hasSelection()) {
        refuse(request, "text is selected");
        return drain();
    }
    const std::string before = surrounding_->beforeCursor();
    if (request.atTextStart ? before != request.expectedBefore
                            : !before.ends_with(request.expectedBefore)) {
        refuse(request, "the text before the caret is not the expected text");
        return drain();
    }
    editId_ = request.edit;
    const bool verify = verifiesDeletions() && !endIsAscii(before, request.deleteCount);
    edit_.emplace(before, request.deleteCount, request.insert, verify);
    if (edit_->start(client_) == ReplacementEdit::State::committed) {
        completeEdit();
        return drain();
    }
    editDeadline_ = shared_.timers.after(shared_.limits.echo, [this] {
        if (edit_) {
            edit_->finish(client_);
            completeEdit();
            drain();
        }
    });
}

void FieldSession::refuse(const EditRequest& request, std::string_view reason) {
    shared_.peer.send({EngineMessage::Kind::edited,
                       {std::to_string(request.edit), "refused", std::string(reason)}});
}

void FieldSession::completeEdit() {
    const bool verified = edit_ && edit_->verified();
    edit_.reset();
    editDeadline_.reset();
    shared_.peer.send({EngineMessage::Kind::edited,
                       {std::to_string(editId_), "done", verified ? "verified" : "unverified"}});
}

void FieldSession::peerLost() {
    releaseReturns();
    drain();
}

void FieldSession::announce() {
    if (!shared_.peer.isConnected()) {
        return;
    }
    sendField();
    if (focused_) {
        sendText();
    }
}

void FieldSession::sendField() {
    shared_.peer.send(
        {EngineMessage::Kind::field,
         {std::to_string(id_), focused_ ? "focused" : "unfocused", std::to_string(purpose_),
          isSecret() ? "secret" : "open", capable_ ? "text" : "notext", engineName_}});
}

void FieldSession::sendText() {
    if (!surrounding_ || isSecret()) {
        shared_.peer.send({EngineMessage::Kind::text, {std::to_string(id_), "", "", "", "part"}});
        return;
    }
    // The text as it will be once the keys on their way have reached the client.
    const std::string ahead = inFlight_.ahead(surrounding_->beforeCursor());
    const std::string after = surrounding_->text.substr(surrounding_->beforeCursor().size());
    const std::size_t cursor = codePointCount(ahead);
    const SurroundingText predicted{ahead + after, cursor,
                                    surrounding_->hasSelection() ? surrounding_->anchor : cursor};
    const SurroundingText sent = aroundCursor(predicted);
    shared_.peer.send(
        {EngineMessage::Kind::text,
         {std::to_string(id_), std::to_string(sent.cursor), std::to_string(sent.anchor), sent.text,
          sent.text.size() == predicted.text.size() ? "whole" : "part"}});
}

}  // namespace plovik::ibus
