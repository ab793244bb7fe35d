#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "core/platform/Accessibility.h"
#include "core/platform/KeyCapture.h"
#include "core/replacement/SyntheticKeyboardService.h"
#include "core/replacement/TextReplacementRequest.h"

namespace plovik {

// Reads a keystroke replacement back once its keys have gone out, until the field shows it
// where the word stood. Keys can be lost on the way (a browser that takes the Backspaces
// and drops the text), and only the field tells: when it does not show the replacement in
// time and the user has typed nothing since, what it shows instead is erased and the typed
// text put back. Blocks the caller while the application takes the keys in.
class KeystrokeReplacementCheck {
  public:
    enum class Verdict {
        // The field shows the replacement.
        arrived,
        // It did not; the field holds what the user had typed again.
        restored,
        // It did not, and the field could not be put back safely.
        lost,
    };

    // The field around the word before the keys went out: what stands before it, what
    // after it (what the user typed after the word among it), and the word itself.
    struct Surroundings {
        std::string before;
        std::string after;
        std::string original;
        std::string typedAfter;
    };

    // Posts a replacement of the word's place (expected text) by the request's text,
    // stepping over what the user typed after it; false when it could not.
    using Post = std::function<bool(const TextReplacementRequest&, const std::string& typedAfter)>;

    static constexpr const char* kRestoredMessage =
        "The application did not show the correction, so Plovik put back what you typed.";
    static constexpr const char* kLostMessage =
        "The application did not show the correction, and Plovik could not safely put back "
        "what you typed.";
    static constexpr std::chrono::milliseconds kPollInterval{5};
    // How long an application may take to show posted keys (usually 20-80 ms).
    static constexpr std::chrono::milliseconds kArrivalLimit{1500};
    // How long the field must stay the same before what it shows is taken as final.
    static constexpr std::chrono::milliseconds kQuietTime{100};

    KeystrokeReplacementCheck(SyntheticKeyboardService& keyboard,
                              const KeyCaptureFactory& keyPresses);

    // Absent when the field cannot be read or does not hold the word and what was typed
    // after it before the caret.
    static std::optional<Surroundings> surroundings(const AccessibilityElement& element,
                                                    const TextReplacementRequest& request,
                                                    const std::string& typedAfter);
    Verdict confirm(AccessibilityElement& element, const Surroundings& around,
                    const TextReplacementRequest& request, KeyPressNumber postedAt,
                    const Post& post);

  private:
    // What stands where the word stood, when the rest of the field is as it was.
    static std::optional<std::string> between(const std::optional<std::string>& field,
                                              const Surroundings& around);
    // Waits until the word's place holds `wanted` (or starts with it once the user has
    // typed on); returns what it holds at the end.
    std::optional<std::string> awaitText(const AccessibilityElement& element,
                                         const Surroundings& around, const std::string& wanted,
                                         KeyPressNumber postedAt);
    // What the word's place holds once the field has stopped changing; absent when it
    // does not settle (keys still on their way would land after anything sent now).
    std::optional<std::string> settledText(const AccessibilityElement& element,
                                           const Surroundings& around);
    Verdict restore(AccessibilityElement& element, const Surroundings& around,
                    const std::string& shown, const TextReplacementRequest& request,
                    const Post& post);
    static bool caretAfter(const AccessibilityElement& element, const Surroundings& around,
                           const std::string& shown);

    SyntheticKeyboardService& keyboard_;
    const KeyCaptureFactory& keyPresses_;
};

}  // namespace plovik
