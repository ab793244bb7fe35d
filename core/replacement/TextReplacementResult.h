#pragma once

#include <optional>
#include <string>

#include "core/replacement/TextReplacementMethod.h"

namespace plovik {

struct TextReplacementResult {
    bool succeeded = false;
    std::optional<TextReplacementMethod> method;
    std::optional<std::string> errorMessage;

    static TextReplacementResult success(TextReplacementMethod method) {
        return {true, method, std::nullopt};
    }
    static TextReplacementResult failure(std::string message) {
        return {false, std::nullopt, std::move(message)};
    }

    bool operator==(const TextReplacementResult&) const = default;
};

}  // namespace plovik
