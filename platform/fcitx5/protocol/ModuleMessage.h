#pragma once

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace plovik {

// What Plovik and its Fcitx5 module say to each other over the module's socket, as plain
// data. Keys are Linux evdev codes and modifiers the bits of plovik::Modifiers; text is
// UTF-8; offsets into a field's text count code points. Presses are numbered by the module
// from one, per connection.
namespace module {

inline constexpr std::uint32_t kProtocolVersion = 2;

// The module introduces itself as soon as Plovik connects.
struct Hello {
    std::uint32_t version = kProtocolVersion;
    bool operator==(const Hello&) const = default;
};

// A key press of the user, before any input method sees it.
struct Press {
    std::uint64_t sequence = 0;
    std::uint16_t key = 0;
    std::uint8_t modifiers = 0;
    // What the key types under the active layout; empty when it types nothing.
    std::string text;
    // The key is held down and repeats.
    bool repeat = false;
    // The module waits a few milliseconds for an Answer before it lets the press go on.
    bool held = false;
    bool operator==(const Press&) const = default;
};

// A held press Plovik asked to swallow was still waiting: it is swallowed for good.
struct PressTaken {
    std::uint64_t sequence = 0;
    bool operator==(const PressTaken&) const = default;
};

// A held press went on to the application without an answer in time.
struct PressWentOn {
    std::uint64_t sequence = 0;
    bool operator==(const PressWentOn&) const = default;
};

// The focused input context changed, or what it says about itself.
struct Focus {
    std::uint64_t context = 0;
    bool focused = false;
    // Fcitx5's capability flags of the field (password, multi-line, surrounding text...).
    std::uint64_t capabilities = 0;
    // The client's program name; empty where the frontend does not know it.
    std::string program;
    std::string frontend;
    bool operator==(const Focus&) const = default;
};

// The text around the caret of the focused field, as the application last reported it.
struct Surrounding {
    std::uint64_t context = 0;
    bool valid = false;
    std::string text;
    std::uint32_t cursor = 0;
    std::uint32_t anchor = 0;
    bool operator==(const Surrounding&) const = default;
};

// The input methods of the current group, in order, and the active one.
struct InputMethods {
    std::string current;
    std::vector<std::string> enabled;
    bool operator==(const InputMethods&) const = default;
};

enum class EditStatus : std::uint8_t {
    done = 0,
    // The field no longer has the focus, or another field has it.
    notFocused = 1,
    // The text before the caret is not what Plovik expected, or there is a selection.
    textChanged = 2,
    // A key of the user went on to the application after the one Plovik last saw.
    keyTypedSince = 3,
    // The field does not report its text, so it cannot be checked.
    noSurroundingText = 4,
};

struct EditDone {
    std::uint64_t request = 0;
    EditStatus status = EditStatus::done;
    bool operator==(const EditDone&) const = default;
};

struct Synced {
    std::uint64_t request = 0;
    bool operator==(const Synced&) const = default;
};

// Plovik's answer for a held press.
struct Answer {
    std::uint64_t sequence = 0;
    bool swallow = false;
    bool operator==(const Answer&) const = default;
};

struct HeldKey {
    std::uint16_t key = 0;
    std::uint8_t modifiers = 0;
    bool operator==(const HeldKey&) const = default;
};

// The key combinations whose presses wait for an Answer; replaces the earlier list.
struct HeldKeys {
    std::vector<HeldKey> keys;
    bool operator==(const HeldKeys&) const = default;
};

// Replaces `before`, which must be exactly the text before the caret of field `context`,
// with `replacement`, unless a key went on to the application after press `afterSequence`.
struct Edit {
    std::uint64_t request = 0;
    std::uint64_t context = 0;
    std::uint64_t afterSequence = 0;
    std::string before;
    std::string replacement;
    // The input method selected as the edit is made, before the next key; empty for none.
    std::string selectAfter;
    bool operator==(const Edit&) const = default;
};

struct SelectInputMethod {
    std::string name;
    bool operator==(const SelectInputMethod&) const = default;
};

// A key press of Plovik's own for the focused field: a Return that was held back.
struct PostKey {
    std::uint16_t key = 0;
    std::uint8_t modifiers = 0;
    // The swallowed press this one stands for; posted only if the module has not let that
    // press go on by itself meanwhile. Zero: posted in any case.
    std::uint64_t forSequence = 0;
    bool operator==(const PostKey&) const = default;
};

// Answered with Synced once everything said before it has been handled.
struct Sync {
    std::uint64_t request = 0;
    bool operator==(const Sync&) const = default;
};

}  // namespace module

using ModuleMessage =
    std::variant<module::Hello, module::Press, module::PressTaken, module::PressWentOn,
                 module::Focus, module::Surrounding, module::InputMethods, module::EditDone,
                 module::Synced, module::Answer, module::HeldKeys, module::Edit,
                 module::SelectInputMethod, module::PostKey, module::Sync>;

}  // namespace plovik
