#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace plovik::ibus {

// One message between the Plovik engine program and Plovik, as plain fields. The
// socket keeps message boundaries; fields are separated by tabs, with backslash, tab
// and NUL escaped, so that any text (line breaks included) travels unchanged.
//
// From the engine:
//   hello     protocol, process id
//   press     number, evdev key, modifier bits, text, passed|held|asked
//   late      number                          an asked press went on unanswered
//   taken     number, yes|no                  the answer to take
//   field     context, focused|unfocused, purpose, secret|open, engine name
//   text      context, cursor, anchor, text, whole|part
//                                             offsets in code points of the text sent
//   edited    edit, done|refused, reason
//   synced    request                         the answer to sync
// From Plovik:
//   grabs     evdev key, modifier bits, ...   presses to ask about
//   answer    number, pass|swallow
//   take      number                          may Plovik still act on the press?
//   edit      edit, context, asked-at press, expected text before the caret,
//             code points to delete, text to insert
//   post      evdev key                       a withheld Return, handed on
//   sync      request                         answered once all before it is done
struct EngineMessage {
    enum class Kind {
        hello,
        press,
        late,
        taken,
        field,
        text,
        edited,
        synced,
        grabs,
        answer,
        take,
        edit,
        post,
        sync,
    };

    static constexpr int kProtocol = 1;
    // Larger messages are refused: surrounding text is cut to fit well below.
    static constexpr std::size_t kMaximumSize = 64 * 1024;

    Kind kind = Kind::hello;
    std::vector<std::string> fields;

    std::string encode() const;
    // Absent for an unknown kind or a malformed escape.
    static std::optional<EngineMessage> decode(std::string_view bytes);

    // The field, or "" past the end.
    std::string_view text(std::size_t index) const;
    // The field as a decimal number; absent when it is not one.
    std::optional<std::uint64_t> number(std::size_t index) const;

    bool operator==(const EngineMessage&) const = default;
};

std::string_view kindName(EngineMessage::Kind kind);

}  // namespace plovik::ibus
