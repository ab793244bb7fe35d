#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace plovik {

// Text that remembers where each of its user-perceived characters starts, so that
// counting, trimming and dropping characters never segment the whole text again.
// Appending re-segments only the last character and the new text: a character
// boundary depends on nothing before the character that precedes it.
class SegmentedText {
  public:
    const std::string& text() const { return text_; }
    std::size_t count() const { return starts_.size(); }
    bool empty() const { return text_.empty(); }

    // Malformed UTF-8 is stored as U+FFFD.
    void append(std::string_view text);
    // Drops the last `n` characters (all of them when there are fewer).
    void dropLast(std::size_t n);
    // Keeps only the last `n` characters.
    void keepLast(std::size_t n);
    // Whether the text ends with `suffix` starting on a character boundary.
    bool endsWith(std::string_view suffix) const;
    void clear();

  private:
    std::string text_;
    std::vector<std::uint32_t> starts_;
};

}  // namespace plovik
