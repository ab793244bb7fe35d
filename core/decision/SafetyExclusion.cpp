#include "core/decision/SafetyExclusion.h"

#include <array>
#include <utility>

namespace plovik {

namespace {

constexpr std::array<std::pair<SafetyExclusion, std::string_view>, 8> kRawValues{{
    {SafetyExclusion::tooShort, "tooShort"},
    {SafetyExclusion::url, "url"},
    {SafetyExclusion::email, "email"},
    {SafetyExclusion::filePath, "filePath"},
    {SafetyExclusion::shellCommand, "shellCommand"},
    {SafetyExclusion::codeLike, "codeLike"},
    {SafetyExclusion::mostlyNumbers, "mostlyNumbers"},
    {SafetyExclusion::mixedAlphabet, "mixedAlphabet"},
}};

}  // namespace

std::string_view rawValue(SafetyExclusion exclusion) {
    for (const auto& [value, name] : kRawValues) {
        if (value == exclusion) {
            return name;
        }
    }
    return {};
}

std::optional<SafetyExclusion> safetyExclusionFromRawValue(std::string_view rawValue) {
    for (const auto& [value, name] : kRawValues) {
        if (name == rawValue) {
            return value;
        }
    }
    return std::nullopt;
}

}  // namespace plovik
