#include "core/layouts/SystemKeyboardLayoutTranslator.h"

#include <string_view>

namespace plovik {

std::optional<std::string> SystemKeyboardLayoutTranslator::translateStrokes(
    const KeyLayoutData& keyMap, const std::vector<PhysicalKeyStroke>& strokes,
    ComposeState& compose) {
    std::string text;
    for (const auto& stroke : strokes) {
        const auto typed = keyMap.translate(stroke.key, stroke.modifiers, compose);
        if (!typed) {
            return std::nullopt;
        }
        text += *typed;
    }
    return text;
}

std::optional<SystemKeyboardLayoutTranslator::Translation>
SystemKeyboardLayoutTranslator::translate(const std::vector<PhysicalKeyStroke>& tokenStrokes,
                                          const std::vector<PhysicalKeyStroke>& delimiterStrokes,
                                          std::string_view inputSourceId) const {
    const auto source = platform_->installedSource(inputSourceId);
    if (!source || !source->keyLayoutData) {
        return std::nullopt;
    }
    ComposeState compose;
    auto token = translateStrokes(*source->keyLayoutData, tokenStrokes, compose);
    if (!token) {
        return std::nullopt;
    }
    auto delimiter = translateStrokes(*source->keyLayoutData, delimiterStrokes, compose);
    if (!delimiter) {
        return std::nullopt;
    }
    return Translation{std::move(*token), std::move(*delimiter)};
}

bool SystemKeyboardLayoutTranslator::canTranslate(std::string_view inputSourceId) const {
    const auto source = platform_->installedSource(inputSourceId);
    return source && source->type == InputSource::kKeyboardLayoutType && source->keyLayoutData;
}

}  // namespace plovik
