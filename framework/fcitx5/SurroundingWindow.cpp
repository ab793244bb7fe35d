#include "framework/fcitx5/SurroundingWindow.h"

#include <algorithm>

#include "framework/fcitx5/EditCheck.h"

namespace plovik {

module::Surrounding SurroundingWindow::cut(std::uint64_t context, std::string_view text,
                                           std::uint32_t cursor, std::uint32_t anchor) {
    module::Surrounding window;
    window.context = context;
    const auto length = EditCheck::codePoints(text);
    if (!length || cursor > *length || anchor > *length) {
        return window;
    }
    const std::uint32_t first = cursor > kBeforeCaret ? cursor - kBeforeCaret : 0;
    const std::uint32_t last = std::min(*length, cursor + kAfterCaret);
    const auto skipped = EditCheck::textBefore(text, first);
    const auto kept = EditCheck::textBefore(text.substr(skipped->size()), last - first);
    window.valid = true;
    window.text = std::string(*kept);
    window.cursor = cursor - first;
    // A selection reaching out of the window still shows as a selection.
    window.anchor = std::clamp(anchor, first, last) - first;
    if (anchor != cursor && window.anchor == window.cursor) {
        window.anchor = anchor < cursor ? 0 : last - first;
    }
    return window;
}

}  // namespace plovik
