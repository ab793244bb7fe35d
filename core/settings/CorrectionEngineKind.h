#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace plovik {

// Which engine decides the automatic corrections.
enum class CorrectionEngineKind { described, extended };

inline constexpr std::array<CorrectionEngineKind, 2> kAllCorrectionEngineKinds = {
    CorrectionEngineKind::described, CorrectionEngineKind::extended};

constexpr std::string_view rawValue(CorrectionEngineKind kind) {
    return kind == CorrectionEngineKind::extended ? "extended" : "described";
}

// Exact, case-sensitive match; any other text is no engine.
constexpr std::optional<CorrectionEngineKind> correctionEngineKindFromRawValue(
    std::string_view raw) {
    for (const auto kind : kAllCorrectionEngineKinds) {
        if (rawValue(kind) == raw) {
            return kind;
        }
    }
    return std::nullopt;
}

}  // namespace plovik
