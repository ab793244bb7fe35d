#include "core/replacement/TextReplacementMethod.h"

namespace plovik {

std::string toString(TextReplacementMethod method) {
    switch (method) {
        case TextReplacementMethod::accessibility:
            return "accessibility";
        case TextReplacementMethod::syntheticKeyboard:
            return "syntheticKeyboard";
    }
    return "accessibility";
}

std::optional<TextReplacementMethod> textReplacementMethodFromString(std::string_view text) {
    if (text == "accessibility") {
        return TextReplacementMethod::accessibility;
    }
    if (text == "syntheticKeyboard") {
        return TextReplacementMethod::syntheticKeyboard;
    }
    return std::nullopt;
}

}  // namespace plovik
