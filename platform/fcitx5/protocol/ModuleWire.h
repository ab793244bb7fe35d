#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/fcitx5/protocol/ModuleMessage.h"

namespace plovik {

// The module socket's framing: each message is a little-endian 32-bit length, then that
// many bytes: a kind and the message's fields (fixed-width integers, strings and lists
// prefixed by their 32-bit length).
class ModuleWire {
  public:
    // Larger frames are refused: a field's text is sent in part, never whole.
    static constexpr std::size_t kMaximumFrame = 256 * 1024;
    static constexpr std::size_t kLengthPrefix = 4;

    // The whole frame, length included.
    static std::string encode(const ModuleMessage& message);
    // One frame's payload (without the length); absent when it is not a well-formed message.
    static std::optional<ModuleMessage> decode(std::string_view payload);
    // The payload length a frame announces in its first four bytes.
    static std::uint32_t announcedLength(std::string_view prefix);
};

}  // namespace plovik
