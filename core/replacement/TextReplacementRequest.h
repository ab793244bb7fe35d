#pragma once

#include <string>
#include <utility>

namespace plovik {

// What must stand before the caret (token, then delimiter) and what replaces it.
struct TextReplacementRequest {
    std::string expectedText;
    std::string replacementText;
    std::string expectedTrailingDelimiter;
    std::string replacementTrailingDelimiter;

    TextReplacementRequest() = default;
    TextReplacementRequest(std::string expectedText, std::string replacementText,
                           std::string expectedTrailingDelimiter,
                           std::string replacementTrailingDelimiter)
        : expectedText(std::move(expectedText)),
          replacementText(std::move(replacementText)),
          expectedTrailingDelimiter(std::move(expectedTrailingDelimiter)),
          replacementTrailingDelimiter(std::move(replacementTrailingDelimiter)) {}
    // The same delimiter is expected and written back.
    TextReplacementRequest(std::string expectedText, std::string replacementText,
                           const std::string& trailingDelimiter)
        : TextReplacementRequest(std::move(expectedText), std::move(replacementText),
                                 trailingDelimiter, trailingDelimiter) {}

    bool operator==(const TextReplacementRequest&) const = default;
};

}  // namespace plovik
