#include "framework/fcitx5/EditCheck.h"

#include <optional>

namespace plovik {

namespace {

// The length of the UTF-8 sequence that starts with `lead`, or 0 when it cannot start one.
std::size_t sequenceLength(unsigned char lead) {
    if (lead < 0x80) {
        return 1;
    }
    if (lead >= 0xc2 && lead <= 0xdf) {
        return 2;
    }
    if (lead >= 0xe0 && lead <= 0xef) {
        return 3;
    }
    if (lead >= 0xf0 && lead <= 0xf4) {
        return 4;
    }
    return 0;
}

// The byte length of the valid UTF-8 character at the start of `text`; 0 when invalid.
std::size_t characterLength(std::string_view text) {
    const std::size_t length = sequenceLength(static_cast<unsigned char>(text.front()));
    if (length == 0 || length > text.size()) {
        return 0;
    }
    for (std::size_t i = 1; i < length; ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xc0) != 0x80) {
            return 0;
        }
    }
    return length;
}

}  // namespace

std::optional<std::string_view> EditCheck::textBefore(std::string_view text, std::uint32_t cursor) {
    std::size_t at = 0;
    for (std::uint32_t counted = 0; counted < cursor; ++counted) {
        if (at >= text.size()) {
            return std::nullopt;
        }
        const std::size_t length = characterLength(text.substr(at));
        if (length == 0) {
            return std::nullopt;
        }
        at += length;
    }
    return text.substr(0, at);
}

std::optional<std::uint32_t> EditCheck::codePoints(std::string_view text) {
    std::uint32_t count = 0;
    while (!text.empty()) {
        const std::size_t length = characterLength(text);
        if (length == 0) {
            return std::nullopt;
        }
        text.remove_prefix(length);
        ++count;
    }
    return count;
}

EditCheck::Verdict EditCheck::check(const module::Edit& edit, const Field& field,
                                    std::uint64_t lastPassed) {
    using module::EditStatus;
    if (!field.focused || field.context != edit.context) {
        return {EditStatus::notFocused, 0};
    }
    if (lastPassed > edit.afterSequence) {
        return {EditStatus::keyTypedSince, 0};
    }
    if (!field.reportsText) {
        return {EditStatus::noSurroundingText, 0};
    }
    const auto before = textBefore(field.text, field.cursor);
    const auto count = codePoints(edit.before);
    if (field.cursor != field.anchor || !before || !count || edit.before.empty() ||
        !codePoints(edit.replacement) || !before->ends_with(edit.before)) {
        return {EditStatus::textChanged, 0};
    }
    return {EditStatus::done, *count};
}

}  // namespace plovik
