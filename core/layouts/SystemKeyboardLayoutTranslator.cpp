#include "core/layouts/SystemKeyboardLayoutTranslator.h"

#include <string_view>

#include "core/text/Utf16.h"

namespace plovik {
namespace {

constexpr std::uint64_t kShiftFlag = 0x20000;
constexpr std::uint64_t kCapsLockFlag = 0x10000;
constexpr std::uint64_t kOptionFlag = 0x80000;

}  // namespace

std::uint32_t SystemKeyboardLayoutTranslator::modifierState(std::uint64_t flags) {
    std::uint32_t state = 0;
    if (flags & kShiftFlag) {
        state |= KeyLayoutData::kShiftState;
    }
    if (flags & kCapsLockFlag) {
        state |= KeyLayoutData::kCapsLockState;
    }
    if (flags & kOptionFlag) {
        state |= KeyLayoutData::kOptionState;
    }
    return state;
}

std::optional<std::string> SystemKeyboardLayoutTranslator::translateStrokes(
    const KeyLayoutData& keyMap, const std::vector<PhysicalKeyStroke>& strokes,
    std::uint32_t keyboardType, std::uint32_t& deadKeyState) {
    std::u16string units;
    for (const auto& stroke : strokes) {
        KeyTranslationOutput output;
        const auto status = keyMap.translate(stroke.keyCode, modifierState(stroke.modifiers),
                                             keyboardType & 0xFF, deadKeyState, output);
        // A key map that claims more than the buffer holds is not trusted either.
        if (status != KeyTranslationStatus::success ||
            output.length > KeyTranslationOutput::kCapacity) {
            return std::nullopt;
        }
        units.append(output.units.data(), output.length);
    }
    return text::Utf16::decode(units);
}

std::optional<SystemKeyboardLayoutTranslator::Translation>
SystemKeyboardLayoutTranslator::translate(const std::vector<PhysicalKeyStroke>& tokenStrokes,
                                          const std::vector<PhysicalKeyStroke>& delimiterStrokes,
                                          std::string_view inputSourceId) const {
    const auto source = platform_->installedSource(inputSourceId);
    if (!source || !source->keyLayoutData) {
        return std::nullopt;
    }
    const std::uint32_t keyboardType = platform_->keyboardType();
    std::uint32_t deadKeyState = 0;
    auto token = translateStrokes(*source->keyLayoutData, tokenStrokes, keyboardType, deadKeyState);
    if (!token) {
        return std::nullopt;
    }
    auto delimiter =
        translateStrokes(*source->keyLayoutData, delimiterStrokes, keyboardType, deadKeyState);
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
