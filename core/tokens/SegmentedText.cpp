#include "core/tokens/SegmentedText.h"

#include <algorithm>

#include "core/text/Graphemes.h"
#include "core/text/Utf8.h"

namespace plovik {

void SegmentedText::append(std::string_view text) {
    if (text.empty()) {
        return;
    }
    const std::string clean = text::Utf8::sanitized(text);
    const std::uint32_t from = starts_.empty() ? 0 : starts_.back();
    if (!starts_.empty()) {
        starts_.pop_back();
    }
    std::uint32_t offset = from;
    for (const std::string& character : text::Graphemes::split(text_.substr(from) + clean)) {
        starts_.push_back(offset);
        offset += static_cast<std::uint32_t>(character.size());
    }
    text_ += clean;
}

void SegmentedText::dropLast(std::size_t n) {
    if (n >= starts_.size()) {
        clear();
        return;
    }
    const std::size_t keep = starts_.size() - n;
    text_.resize(starts_[keep]);
    starts_.resize(keep);
}

void SegmentedText::keepLast(std::size_t n) {
    if (starts_.size() <= n) {
        return;
    }
    const std::size_t drop = starts_.size() - n;
    const auto cut =
        drop < starts_.size() ? starts_[drop] : static_cast<std::uint32_t>(text_.size());
    text_.erase(0, cut);
    starts_.erase(starts_.begin(), starts_.begin() + static_cast<std::ptrdiff_t>(drop));
    for (std::uint32_t& start : starts_) {
        start -= cut;
    }
}

bool SegmentedText::endsWith(std::string_view suffix) const {
    if (suffix.empty()) {
        return true;
    }
    if (suffix.size() > text_.size() ||
        std::string_view(text_).substr(text_.size() - suffix.size()) != suffix) {
        return false;
    }
    const auto start = static_cast<std::uint32_t>(text_.size() - suffix.size());
    return std::binary_search(starts_.begin(), starts_.end(), start);
}

void SegmentedText::clear() {
    text_.clear();
    starts_.clear();
}

}  // namespace plovik
