#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "framework/ibus/wire/EngineMessage.h"

namespace plovik {

// The text field an engine serves, as the engine last described it: offsets in code
// points of the text it reported around the caret.
struct IbusField {
    struct Text {
        std::string text;
        std::int64_t cursor = 0;
        std::int64_t anchor = 0;
        // The client's whole text, rather than the part around the caret.
        bool whole = true;
        bool operator==(const Text&) const = default;
    };

    std::uint64_t context = 0;
    bool focused = false;
    unsigned purpose = 0;
    // A password (by the field's purpose or its masked text): never read, never changed.
    bool secret = false;
    // The client reports its text at all.
    bool tellsText = true;
    std::string engine;
    std::optional<Text> text;

    // Updates from a `field` or `text` message of this or another context; false when
    // the message was not one or could not be read.
    bool apply(const ibus::EngineMessage& message);

    bool operator==(const IbusField&) const = default;
};

}  // namespace plovik
