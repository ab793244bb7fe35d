#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/fcitx5/protocol/ModuleMessage.h"

namespace plovik {

// Whether an edit Plovik asks for may be made now: the field it was meant for still has
// the focus, no key of the user went on after the last one Plovik had seen, and the text
// before the caret, as the application last reported it, ends with exactly the text to
// replace, with no selection.
class EditCheck {
  public:
    // The field as the module knows it when the edit is to be made.
    struct Field {
        std::uint64_t context = 0;
        bool focused = false;
        bool reportsText = false;
        std::string_view text;
        // Code points.
        std::uint32_t cursor = 0;
        std::uint32_t anchor = 0;
    };

    struct Verdict {
        module::EditStatus status = module::EditStatus::done;
        // Code points before the caret to delete.
        std::uint32_t deleteCount = 0;
        bool operator==(const Verdict&) const = default;
    };

    static Verdict check(const module::Edit& edit, const Field& field, std::uint64_t lastPassed);
    // The UTF-8 text before `cursor` code points; absent when the text is shorter or is not
    // valid UTF-8.
    static std::optional<std::string_view> textBefore(std::string_view text, std::uint32_t cursor);
    // Code points in valid UTF-8; absent for anything else.
    static std::optional<std::uint32_t> codePoints(std::string_view text);
};

}  // namespace plovik
