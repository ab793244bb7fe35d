#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace plovik {

// The sound played after a correction; its raw value names the sound and is shown as is.
enum class CorrectionSound { pop, glass, submarine, tink, bottle, morse };

inline constexpr std::array<CorrectionSound, 6> kAllCorrectionSounds = {
    CorrectionSound::pop,  CorrectionSound::glass,  CorrectionSound::submarine,
    CorrectionSound::tink, CorrectionSound::bottle, CorrectionSound::morse};

constexpr std::string_view rawValue(CorrectionSound sound) {
    switch (sound) {
        case CorrectionSound::pop:
            return "Pop";
        case CorrectionSound::glass:
            return "Glass";
        case CorrectionSound::submarine:
            return "Submarine";
        case CorrectionSound::tink:
            return "Tink";
        case CorrectionSound::bottle:
            return "Bottle";
        case CorrectionSound::morse:
            return "Morse";
    }
    return "Pop";
}

constexpr std::string_view displayName(CorrectionSound sound) {
    return rawValue(sound);
}

// Exact, case-sensitive match; any other text is not a sound.
constexpr std::optional<CorrectionSound> correctionSoundFromRawValue(std::string_view raw) {
    for (const auto sound : kAllCorrectionSounds) {
        if (rawValue(sound) == raw) {
            return sound;
        }
    }
    return std::nullopt;
}

}  // namespace plovik
