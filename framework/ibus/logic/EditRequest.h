#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "framework/ibus/wire/EngineMessage.h"

namespace plovik::ibus {

// Plovik's request to replace the end of the text before the caret of a field. It is
// carried out only while the text before the caret still ends with `expectedBefore`
// (is exactly it, with `atTextStart`) and no key typed after `askedAt` has gone on.
struct EditRequest {
    std::uint64_t edit = 0;
    std::uint64_t context = 0;
    std::uint64_t askedAt = 0;
    std::string expectedBefore;
    bool atTextStart = false;
    // Code points at the end of `expectedBefore` to delete.
    std::size_t deleteCount = 0;
    std::string insert;

    static std::optional<EditRequest> fromMessage(const EngineMessage& message);
    EngineMessage toMessage() const;

    bool operator==(const EditRequest&) const = default;
};

}  // namespace plovik::ibus
