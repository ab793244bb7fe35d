#pragma once

#include <cstdint>
#include <string_view>

#include "platform/fcitx5/protocol/ModuleMessage.h"

namespace plovik {

// The part of a field's text Plovik is told about: the words just before the caret matter,
// a whole document does not, and each report must stay small.
class SurroundingWindow {
  public:
    static constexpr std::uint32_t kBeforeCaret = 1024;
    static constexpr std::uint32_t kAfterCaret = 128;

    // Offsets in code points. Text that is not valid UTF-8, or offsets past its end, are
    // reported as no text at all.
    static module::Surrounding cut(std::uint64_t context, std::string_view text,
                                   std::uint32_t cursor, std::uint32_t anchor);
};

}  // namespace plovik
