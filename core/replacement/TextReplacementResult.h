#pragma once

#include <optional>
#include <string>

#include "core/replacement/TextReplacementMethod.h"

namespace plovik {

struct TextReplacementResult {
    bool succeeded = false;
    std::optional<TextReplacementMethod> method;
    std::optional<std::string> errorMessage;
    // Keys the user typed after the word had reached the field and stay after it as typed.
    bool keysSteppedOver = false;

    static TextReplacementResult success(TextReplacementMethod method) {
        return {true, method, std::nullopt, false};
    }
    static TextReplacementResult failure(std::string message) {
        return {false, std::nullopt, std::move(message), false};
    }

    bool operator==(const TextReplacementResult&) const = default;
};

}  // namespace plovik
