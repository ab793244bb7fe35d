#pragma once

#include <optional>
#include <string_view>

namespace plovik {

// Why a token must not be converted automatically.
enum class SafetyExclusion {
    tooShort,
    url,
    email,
    filePath,
    shellCommand,
    codeLike,
    mostlyNumbers,
    mixedAlphabet,
};

// The stable name of an exclusion ("tooShort", "url", ...).
std::string_view rawValue(SafetyExclusion exclusion);
std::optional<SafetyExclusion> safetyExclusionFromRawValue(std::string_view rawValue);

}  // namespace plovik
