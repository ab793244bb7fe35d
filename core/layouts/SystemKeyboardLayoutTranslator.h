#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/capture/PhysicalKeyStroke.h"
#include "core/platform/KeyLayoutData.h"
#include "core/platform/LayoutSource.h"

namespace plovik {

// Replays physical strokes through an installed layout's key map. Keeps no state
// of its own: every call looks the source up anew.
class SystemKeyboardLayoutTranslator {
  public:
    struct Translation {
        std::string token;
        std::string delimiter;

        bool operator==(const Translation&) const = default;
    };

    explicit SystemKeyboardLayoutTranslator(const LayoutSource& platform) : platform_(&platform) {}

    // The token and delimiter the strokes type in the source's layout. A dead key
    // ending the token composes with the delimiter. Absent when the source is not
    // installed, has no key map, or a key cannot be translated.
    std::optional<Translation> translate(const std::vector<PhysicalKeyStroke>& tokenStrokes,
                                         const std::vector<PhysicalKeyStroke>& delimiterStrokes,
                                         std::string_view inputSourceId) const;
    // True for an installed plain keyboard layout with a key map.
    bool canTranslate(std::string_view inputSourceId) const;

    // Translates the strokes in order, continuing `compose`; absent when a key cannot
    // be translated.
    static std::optional<std::string> translateStrokes(
        const KeyLayoutData& keyMap, const std::vector<PhysicalKeyStroke>& strokes,
        ComposeState& compose);

  private:
    const LayoutSource* platform_;
};

}  // namespace plovik
