#include "platform/fcitx5/KeystrokeEdit.h"

#include "core/text/Graphemes.h"

namespace plovik {

std::optional<KeystrokeEdit::Parts> KeystrokeEdit::of(std::string_view textBeforeCaret,
                                                      std::size_t erased, std::size_t kept,
                                                      const std::string& typed) {
    const std::string both = text::Graphemes::last(textBeforeCaret, erased + kept);
    if (erased == 0 || text::Graphemes::count(both) != erased + kept) {
        return std::nullopt;
    }
    const std::string stays = text::Graphemes::last(both, kept);
    return Parts{both, typed + stays};
}

std::optional<KeystrokeEdit::Parts> KeystrokeEdit::of(
    std::string_view textBeforeCaret, const std::vector<SyntheticKeyEvent>& events) {
    enum class Step { left, backspace, typing, right };
    Step step = Step::left;
    std::size_t left = 0;
    std::size_t backspaces = 0;
    std::size_t right = 0;
    std::string typed;
    for (const auto& event : events) {
        if (!event.isKeyDown) {
            continue;
        }
        if (event.text) {
            if (step > Step::typing) {
                return std::nullopt;
            }
            step = Step::typing;
            typed += *event.text;
        } else if (event.key == Key::left && step == Step::left) {
            ++left;
        } else if (event.key == Key::backspace && step <= Step::backspace) {
            step = Step::backspace;
            ++backspaces;
        } else if (event.key == Key::right) {
            step = Step::right;
            ++right;
        } else {
            return std::nullopt;
        }
    }
    if (left != right) {
        return std::nullopt;
    }
    return of(textBeforeCaret, backspaces, left, typed);
}

}  // namespace plovik
