#pragma once

#include <ibus.h>

#include <chrono>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "framework/ibus/logic/EngineTimers.h"
#include "framework/ibus/logic/FieldClient.h"
#include "framework/ibus/logic/FieldSession.h"
#include "framework/ibus/logic/PlovikPeer.h"
#include "framework/ibus/logic/SurroundingText.h"

namespace plovik::ibus::testing {

// Timers on virtual time, run by advance().
class ManualTimers final : public EngineTimers {
  public:
    std::unique_ptr<EngineTimer> after(std::chrono::milliseconds delay,
                                       std::function<void()> callback) override {
        auto entry = std::make_shared<Entry>(Entry{now_ + delay, std::move(callback)});
        entries_.push_back(entry);
        return std::make_unique<Handle>(entry);
    }
    std::chrono::steady_clock::time_point now() const override { return now_; }

    void advance(std::chrono::milliseconds by) {
        const auto until = now_ + by;
        while (true) {
            std::shared_ptr<Entry> next;
            for (const auto& entry : entries_) {
                if (entry->callback && entry->at <= until && (!next || entry->at < next->at)) {
                    next = entry;
                }
            }
            if (!next) {
                break;
            }
            now_ = std::max(now_, next->at);
            std::erase(entries_, next);
            // The callback may destroy the timer that called it.
            auto callback = std::exchange(next->callback, {});
            callback();
        }
        now_ = until;
    }

  private:
    struct Entry {
        std::chrono::steady_clock::time_point at;
        std::function<void()> callback;
    };
    class Handle final : public EngineTimer {
      public:
        explicit Handle(std::shared_ptr<Entry> entry) : entry_(std::move(entry)) {}
        ~Handle() override { entry_->callback = {}; }

      private:
        std::shared_ptr<Entry> entry_;
    };

    std::chrono::steady_clock::time_point now_{};
    std::vector<std::shared_ptr<Entry>> entries_;
};

// Plovik as the engine sees it: records what it is told and answers asked presses as a
// test says.
class FakePeer final : public PlovikPeer {
  public:
    bool connected = true;
    std::vector<EngineMessage> sent;
    // How asked presses are answered: swallow, pass, or (absent) not in time.
    std::function<std::optional<bool>(const EngineMessage&)> answer = [](const EngineMessage&) {
        return std::optional<bool>(false);
    };

    bool isConnected() const override { return connected; }
    void send(const EngineMessage& message) override {
        if (connected) {
            sent.push_back(message);
        }
    }
    std::optional<bool> ask(const EngineMessage& press, std::uint64_t) override {
        send(press);
        return answer(press);
    }

    std::vector<EngineMessage> ofKind(EngineMessage::Kind kind) const {
        std::vector<EngineMessage> found;
        for (const auto& message : sent) {
            if (message.kind == kind) {
                found.push_back(message);
            }
        }
        return found;
    }
    std::optional<EngineMessage> last(EngineMessage::Kind kind) const {
        const auto found = ofKind(kind);
        return found.empty() ? std::nullopt : std::optional(found.back());
    }
};

// A text field behind IBus: applies forwarded keys, deletions and commits to its text,
// and reports the text to its engine when told to (echo()), as clients do a moment after
// each change. Deletion counts are read in the client's units: GTK 3 through GNOME Shell
// reads bytes, GTK 4 characters.
class FakeField final : public FieldClient {
  public:
    explicit FakeField(OffsetUnits deletionUnits, OffsetUnits reportedUnits = OffsetUnits::bytes)
        : deletionUnits_(deletionUnits), reportedUnits_(reportedUnits) {}

    void attach(FieldSession& session) { session_ = &session; }

    // The application handles a key that reached it.
    void type(const KeyStroke& stroke) {
        if (stroke.isRelease()) {
            return;
        }
        if (stroke.keyval == IBUS_KEY_BackSpace) {
            text_ = withoutLastCodePoints(text_, 1);
        } else if (stroke.isReturn()) {
            text_ += "\n";
            ++returns_;
        } else {
            text_ += stroke.text();
        }
        changed();
    }
    void deleteBeforeCursor(std::size_t count) override {
        const Answering answering(*this);
        ++deletions_;
        if (deletionUnits_ == OffsetUnits::characters) {
            text_ = withoutLastCodePoints(text_, count);
        } else {
            // A count in bytes that ends inside a character takes the whole character.
            std::size_t cut = text_.size() - std::min(count, text_.size());
            while (cut > 0 && (static_cast<unsigned char>(text_[cut]) & 0xC0) == 0x80) {
                --cut;
            }
            text_.resize(cut);
        }
        changed();
    }
    void commit(const std::string& text) override {
        const Answering answering(*this);
        text_ += text;
        changed();
    }
    void forward(const KeyStroke& stroke) override {
        const Answering answering(*this);
        forwarded.push_back(stroke);
        type(stroke);
    }

    // The field tells its engine its text, as it is now, once per change made so far
    // (and for the changes its engine makes in answer).
    void echo() {
        while (pendingEchoes_ > 0) {
            --pendingEchoes_;
            report();
        }
    }
    void report() {
        if (session_) {
            const Answering answering(*this);
            const unsigned cursor = reportedUnits_ == OffsetUnits::bytes
                                        ? static_cast<unsigned>(text_.size())
                                        : static_cast<unsigned>(codePointCount(text_));
            session_->setSurroundingText(text_, cursor, cursor);
        }
    }
    // Changes are reported at once from now on.
    void echoAtOnce(bool atOnce) { atOnce_ = atOnce; }

    const std::string& text() const { return text_; }
    void setText(const std::string& text) {
        text_ = text;
        changed();
    }
    int deletions() const { return deletions_; }
    int returns() const { return returns_; }
    std::vector<KeyStroke> forwarded;

  private:
    // A client answers its engine later, never from within a call between the two.
    struct Answering {
        explicit Answering(FakeField& field) : field_(field) { ++field_.reporting_; }
        ~Answering() { --field_.reporting_; }
        FakeField& field_;
    };

    void changed() {
        ++pendingEchoes_;
        if (atOnce_ && reporting_ == 0) {
            echo();
        }
    }

    OffsetUnits deletionUnits_;
    OffsetUnits reportedUnits_;
    FieldSession* session_ = nullptr;
    std::string text_;
    int pendingEchoes_ = 0;
    int deletions_ = 0;
    int returns_ = 0;
    bool atOnce_ = false;
    int reporting_ = 0;
};

// A key as IBus gives it, by character: keyval, evdev code and state (Shift for capitals).
inline KeyStroke keyFor(char character) {
    static const std::map<char, std::uint32_t> kCodes{
        {'a', 30}, {'b', 48}, {'c', 46}, {'d', 32}, {'e', 18}, {'f', 33}, {'g', 34},
        {'h', 35}, {'i', 23}, {'j', 36}, {'k', 37}, {'l', 38}, {'m', 50}, {'n', 49},
        {'o', 24}, {'p', 25}, {'q', 16}, {'r', 19}, {'s', 31}, {'t', 20}, {'u', 22},
        {'v', 47}, {'w', 17}, {'x', 45}, {'y', 21}, {'z', 44}, {' ', 57}, {',', 51}};
    if (character == '\n') {
        return {IBUS_KEY_Return, 28, 0};
    }
    if (character == '\b') {
        return {IBUS_KEY_BackSpace, 14, 0};
    }
    return {static_cast<std::uint32_t>(character), kCodes.at(character), 0};
}

// A Cyrillic key of the Russian layout, by its letter and the key it is on.
inline KeyStroke cyrillic(std::uint32_t keyval, std::uint32_t keycode) {
    return {keyval, keycode, 0};
}

}  // namespace plovik::ibus::testing
