#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace plovik {

enum class TextReplacementMethod { accessibility, syntheticKeyboard };

// "accessibility" and "syntheticKeyboard".
std::string toString(TextReplacementMethod method);
std::optional<TextReplacementMethod> textReplacementMethodFromString(std::string_view text);

}  // namespace plovik
